// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "res/Resource.h"

#include <span>

// Menu IDR_MAIN_MENU: pop-ups in bar order, their items in menu order.
// An item without text is a separator; one with a pop-up opens it.
// ID_FILE_RECENT_FIRST's item opens the pop-up of the files opened last,
// which the window fills.

enum class MenuCheck
{
    None,
    Check,
    Radio, // one of the neighbouring radio items of its pop-up
};

struct MenuItemTemplate
{
    const char* text;
    int id;
    const char* shortcuts = nullptr; // key sequences, separated by "; "
    MenuCheck check = MenuCheck::None;
    std::span<const MenuItemTemplate> popup = {};
};

struct MenuPopupTemplate
{
    const char* text;
    std::span<const MenuItemTemplate> items;
};

inline constexpr MenuItemTemplate kFileMenuItems[] = {
    {"&New...", ID_FILE_NEW, "Ctrl+N"},
    {"&Open...", ID_FILE_OPEN, "Ctrl+O"},
    {"Open Recen&t", ID_FILE_RECENT_FIRST},
    {"Re&vert", ID_FILE_REVERT},
    {nullptr, 0},
    {"&Save", ID_FILE_SAVE, "Ctrl+S"},
    {"Save &As...", ID_FILE_SAVE_AS, "Ctrl+Shift+S"},
    {nullptr, 0},
    {"&Import...", ID_FILE_IMPORT},
    {"Import &Colourways...", ID_FILE_IMPORT_COLORWAYS},
    {"&Export...", ID_FILE_EXPORT},
    {"E&dit Externally", ID_FILE_EDIT_EXTERNALLY, "Ctrl+E"},
    {nullptr, 0},
    {"&Load Palette...", ID_FILE_LOAD_PALETTE},
    {"Save &Palette...", ID_FILE_SAVE_PALETTE},
    {nullptr, 0},
    {"Pre&ferences...", ID_FILE_PREFERENCES},
    {"E&xit", ID_FILE_EXIT, "Ctrl+Q"},
};

// Edit > Palette, which is also the palette panel's context menu. Each
// acts on the panel's chosen swatch, or on the one the menu was opened on.
inline constexpr MenuItemTemplate kPaletteMenuItems[] = {
    {"&Edit Colour...", ID_PALETTE_EDIT_COLOR},
    {"&Copy Colour", ID_PALETTE_COPY_COLOR},
    {"&Paste Colour", ID_PALETTE_PASTE_COLOR},
    {nullptr, 0},
    {"Copy &Row", ID_PALETTE_COPY_ROW},
    {"Paste R&ow", ID_PALETTE_PASTE_ROW},
    {"&Swap Rows...", ID_PALETTE_SWAP_ROWS},
    {nullptr, 0},
    {"Swap &Indices...", ID_PALETTE_SWAP_INDICES},
    {"&Gradient...", ID_PALETTE_GRADIENT},
};

// The drawing tools, one at a time, with single keys; then the index the
// left button draws with and how index 0 of a moved block shows.
inline constexpr MenuItemTemplate kToolsMenuItems[] = {
    {"&Pencil", ID_TOOL_PENCIL, "B", MenuCheck::Radio},
    {"&Eraser", ID_TOOL_ERASER, "E", MenuCheck::Radio},
    {"&Line", ID_TOOL_LINE, "L", MenuCheck::Radio},
    {"&Rectangle", ID_TOOL_RECTANGLE, "U", MenuCheck::Radio},
    {"&Filled Rectangle", ID_TOOL_FILLED_RECTANGLE, "Shift+U", MenuCheck::Radio},
    {"F&ill", ID_TOOL_FILL, "G", MenuCheck::Radio},
    {"Pic&ker", ID_TOOL_PICKER, "I", MenuCheck::Radio},
    {"Rectangle &Select", ID_TOOL_SELECT, "M", MenuCheck::Radio},
    {nullptr, 0},
    {"Pre&vious Index", ID_TOOL_PREVIOUS_INDEX, "["},
    {"&Next Index", ID_TOOL_NEXT_INDEX, "]"},
    {nullptr, 0},
    {"&Transparent Index 0", ID_TOOL_TRANSPARENT_ZERO, nullptr, MenuCheck::Check},
};

// Undo and Redo name the step they take: "&Undo Import".
inline constexpr MenuItemTemplate kEditMenuItems[] = {
    {"&Undo", ID_EDIT_UNDO, "Ctrl+Z"},
    {"&Redo", ID_EDIT_REDO, "Ctrl+Shift+Z; Ctrl+Y"},
    {nullptr, 0},
    {"Cu&t", ID_EDIT_CUT, "Ctrl+X"},
    {"&Copy", ID_EDIT_COPY, "Ctrl+C"},
    {"&Paste", ID_EDIT_PASTE, "Ctrl+V"},
    {"&Delete", ID_EDIT_CLEAR, "Del"},
    {nullptr, 0},
    {"Select &All", ID_EDIT_SELECT_ALL, "Ctrl+A"},
    {"D&eselect", ID_EDIT_DESELECT, "Ctrl+Shift+A"},
    {nullptr, 0},
    {"Flip &Horizontal", ID_EDIT_FLIP_HORIZONTAL},
    {"Flip &Vertical", ID_EDIT_FLIP_VERTICAL},
    {nullptr, 0},
    {"T&ools", 0, nullptr, MenuCheck::None, kToolsMenuItems},
    {"Pa&lette", 0, nullptr, MenuCheck::None, kPaletteMenuItems},
    {"Reduce Colour&s...", ID_EDIT_REDUCE_COLORS},
};

inline constexpr MenuItemTemplate kBackgroundMenuItems[] = {
    {"&Checkerboard", ID_VIEW_BACKGROUND_CHECKER, nullptr, MenuCheck::Radio},
    {"&Solid Colour...", ID_VIEW_BACKGROUND_COLOR, nullptr, MenuCheck::Radio},
};

inline constexpr MenuItemTemplate kTileGridMenuItems[] = {
    {"&None", ID_VIEW_TILE_NONE, nullptr, MenuCheck::Radio},
    {"&8 \u00D7 8", ID_VIEW_TILE_8, nullptr, MenuCheck::Radio},
    {"&16 \u00D7 16", ID_VIEW_TILE_16, nullptr, MenuCheck::Radio},
    {"&32 \u00D7 32", ID_VIEW_TILE_32, nullptr, MenuCheck::Radio},
    {"&Custom...", ID_VIEW_TILE_CUSTOM, nullptr, MenuCheck::Radio},
};

inline constexpr MenuItemTemplate kViewMenuItems[] = {
    {"Zoom &In", ID_VIEW_ZOOM_IN, "Ctrl++; Ctrl+="},
    {"Zoom &Out", ID_VIEW_ZOOM_OUT, "Ctrl+-"},
    {"&Actual Size", ID_VIEW_ACTUAL_SIZE, "Ctrl+0"},
    {"Zoom to &Fit", ID_VIEW_ZOOM_FIT, "Ctrl+9"},
    {"All &Rows", ID_VIEW_ALL_ROWS, nullptr, MenuCheck::Check},
    {nullptr, 0},
    {"&Background", 0, nullptr, MenuCheck::None, kBackgroundMenuItems},
    {"Pixel &Grid", ID_VIEW_PIXEL_GRID, nullptr, MenuCheck::Check},
    {"&Tile Grid", 0, nullptr, MenuCheck::None, kTileGridMenuItems},
};

inline constexpr MenuItemTemplate kHelpMenuItems[] = {
    {"&About...", ID_HELP_ABOUT},
};

inline constexpr MenuPopupTemplate kMainMenu[] = {
    {"&File", kFileMenuItems},
    {"&Edit", kEditMenuItems},
    {"&View", kViewMenuItems},
    {"&Help", kHelpMenuItems},
};
