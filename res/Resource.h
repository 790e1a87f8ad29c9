// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Resource ids of the viewer: windows, menu, icon, string, controls and
// the commands of the menu and the system menu.

// Windows.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SPRITE_DIALOG = 102;

// Icon, menu and string.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_MAIN_MENU = 129;

// Controls of the main window.
constexpr int IDC_PICTURE = 1000;
constexpr int IDC_PALETTE = 1001;
constexpr int IDC_PALETTE_PANEL = 1002;

// Results that end a window: the close box gives IDCANCEL.
constexpr int IDCANCEL = 2;

// Menu commands.
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_FILE_EXIT = 32771;
constexpr int ID_FILE_IMPORT = 32773;
constexpr int ID_FILE_EXPORT = 32774;
constexpr int ID_HELP_ABOUT = 32775;
constexpr int ID_VIEW_ZOOM_IN = 32780;
constexpr int ID_VIEW_ZOOM_OUT = 32781;
constexpr int ID_VIEW_ACTUAL_SIZE = 32782;
constexpr int ID_VIEW_ZOOM_FIT = 32783;
constexpr int ID_VIEW_BACKGROUND_CHECKER = 32784;
constexpr int ID_VIEW_BACKGROUND_COLOR = 32785;
constexpr int ID_VIEW_PIXEL_GRID = 32786;
constexpr int ID_VIEW_TILE_NONE = 32787;
constexpr int ID_VIEW_TILE_8 = 32788;
constexpr int ID_VIEW_TILE_16 = 32789;
constexpr int ID_VIEW_TILE_32 = 32790;
constexpr int ID_VIEW_TILE_CUSTOM = 32791;
constexpr int ID_FILE_REVERT = 32792;
constexpr int ID_FILE_EDIT_EXTERNALLY = 32793;
constexpr int ID_FILE_LOAD_PALETTE = 32794;
constexpr int ID_FILE_SAVE_PALETTE = 32795;
constexpr int ID_FILE_PREFERENCES = 32796;
// Palette editing, File > New and View > All Rows.
constexpr int ID_PALETTE_EDIT_COLOR = 32820;
constexpr int ID_PALETTE_COPY_COLOR = 32821;
constexpr int ID_PALETTE_PASTE_COLOR = 32822;
constexpr int ID_PALETTE_COPY_ROW = 32823;
constexpr int ID_PALETTE_PASTE_ROW = 32824;
constexpr int ID_PALETTE_SWAP_ROWS = 32825;
constexpr int ID_PALETTE_SWAP_INDICES = 32826;
constexpr int ID_PALETTE_GRADIENT = 32827;
constexpr int ID_VIEW_ALL_ROWS = 32828;
// Edit: the selection, the clipboard and the drawing tools.
constexpr int ID_EDIT_CLEAR = 57632;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_DESELECT = 32860;
constexpr int ID_EDIT_FLIP_HORIZONTAL = 32861;
constexpr int ID_EDIT_FLIP_VERTICAL = 32862;
constexpr int ID_TOOL_PENCIL = 32863;
constexpr int ID_TOOL_ERASER = 32864;
constexpr int ID_TOOL_LINE = 32865;
constexpr int ID_TOOL_RECTANGLE = 32866;
constexpr int ID_TOOL_FILLED_RECTANGLE = 32867;
constexpr int ID_TOOL_FILL = 32868;
constexpr int ID_TOOL_PICKER = 32869;
constexpr int ID_TOOL_SELECT = 32870;
constexpr int ID_TOOL_PREVIOUS_INDEX = 32871;
constexpr int ID_TOOL_NEXT_INDEX = 32872;
constexpr int ID_TOOL_TRANSPARENT_ZERO = 32873;
// Truecolour art into palette rows.
constexpr int ID_EDIT_REDUCE_COLORS = 32920;
constexpr int ID_FILE_IMPORT_COLORWAYS = 32921;
// File > Open Recent: one command per remembered file, newest first.
constexpr int ID_FILE_RECENT_FIRST = 32800;
constexpr int kRecentFileCount = 8;
