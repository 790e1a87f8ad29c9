// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every text the viewer shows: captions, menu items, selector entries,
// chooser filters and messages. UTF-8.

// Window captions.
inline constexpr char kMainWindowCaption[] = "Orvo Sprite Manager";
inline constexpr char kAboutCaption[] = "About Tavrel";
inline constexpr char kPaletteGroupCaption[] = "Palette";

// Palette selector, one entry per palette row.
inline constexpr const char* kPaletteEntries[] = {
    "Sprite #1",   "Sprite #2",   "Sprite #3",   "Sprite #4",
    "Sprite #5",   "Sprite #6",   "Sprite #7",   "Sprite #8",
    "Portrait #1", "Portrait #2", "Portrait #3", "Portrait #4",
    "Portrait #5", "Portrait #6", "Portrait #7", "Portrait #8",
};

// About box lines.
inline constexpr char kAboutVersionPrefix[] = "Tavrel Version ";
inline constexpr char kAboutRights[] = "Copyright \u00A9 2026 the Tavrel authors";
inline constexpr char kAboutLicence[] = "Licence: GPL-3.0-or-later";
inline constexpr char kAboutFreeSoftware[] = "This is free software;";
inline constexpr char kAboutNoWarranty[] = "there is NO WARRANTY.";
inline constexpr char kOkButton[] = "OK";

// Chooser entries beside those of the format table (formats/FileFormats.h,
// which names each format's entry): palette files are told apart by their
// content, so Load Palette lists them in one entry; Open and Import add one
// entry for every file they read, and all of them one for every file.
inline constexpr char kAllPalettesEntry[] = "Palette Files";
inline constexpr char kAllSheetsEntry[] = "All Sprite Files";
inline constexpr char kAllPicturesEntry[] = "All Pictures";
inline constexpr char kAllFilesEntry[] = "All Files (*)|*|";

// Chooser titles, the names of their commands.
inline constexpr char kOpenTitle[] = "Open";
inline constexpr char kSaveAsTitle[] = "Save As";
inline constexpr char kImportTitle[] = "Import";
inline constexpr char kExportTitle[] = "Export";
inline constexpr char kLoadPaletteTitle[] = "Load Palette";
inline constexpr char kSavePaletteTitle[] = "Save Palette";

// What a chooser says when it refuses a name; %1 is the name.
inline constexpr char kChooserFolderMissing[] =
    "%1\nThe folder does not exist.\nCheck the path and try again.";
inline constexpr char kChooserFileMissing[] =
    "%1\nThe file does not exist.\nCheck the file name and try again.";
inline constexpr char kChooserFileReadOnly[] =
    "%1\nThis file is read-only.\nChoose another name.";
inline constexpr char kChooserFolderReadOnly[] =
    "%1\nThis folder cannot be written to.\nChoose another folder.";

// Message captions, named for the activity.
inline constexpr char kCaptionSpriteImage[] = "Sprite Image";
inline constexpr char kCaptionReadingSprite[] = "Reading Sprite";
inline constexpr char kCaptionLoadingSprite[] = "Loading Sprite";
inline constexpr char kCaptionSavingSprite[] = "Saving Sprite";
inline constexpr char kCaptionImportImage[] = "Import Image";
inline constexpr char kCaptionExportingSprite[] = "Exporting Sprite";
inline constexpr char kCaptionLoadingPalette[] = "Loading Palette";
inline constexpr char kCaptionSavingPalette[] = "Saving Palette";

// Messages. The texts of failed file operations come from base/Result.h's
// table, shared with the converter.
inline constexpr char kMsgSp2Note[] =
    "Note: .SP2 Files have no palette, any imported images with a palette will not save "
    "the palette with the file.";

// Import of a picture that holds the sheet's colours in another order; %1
// says which colour at which pixel does not match.
inline constexpr char kMsgKeepSheetPalette[] =
    "Every colour of the picture is exactly one colour of the sheet's palette.\n"
    "Keep the sheet's palette and give the picture the sheet's indices?";
inline constexpr char kMsgPaletteMismatch[] = "The picture is imported with its own palette.";

// Printed instead of starting when there is no display to show the window
// on; %s is the program as it was started.
inline constexpr char kNoDisplayMessage[] =
    "tavrel: no graphical display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "Tavrel is a windowed program and needs an X11 or Wayland display.\n"
    "To run it without one, start it under a virtual X server:\n"
    "    xvfb-run -a %s\n";

// Status bar: the pixel under the pointer and the swatch under the pointer.
// %1 and %2 are x and y; the rest is said in the comment of each.
inline constexpr char kStatusPixelIndexed[] =
    "x %1, y %2    index %3    row %4, entry %5    %6  %7";
inline constexpr char kStatusPixelNoEntry[] = "x %1, y %2    index %3    no colour";
inline constexpr char kStatusPixelWord[] = "x %1, y %2    %3  %4"; // colour word, RGB
inline constexpr char kStatusPixelRgb[] = "x %1, y %2    %3";       // RGB
inline constexpr char kStatusPixelRgba[] = "x %1, y %2    %3  alpha %4";
inline constexpr char kStatusTransparent[] = "    transparent";
// %1 entry, %2 row, %3 index in the row, %4 colour word, %5 RGB, %6 pixels.
inline constexpr char kStatusSwatch[] = "entry %1 (row %2, index %3)    %4  %5    %6 pixels";

// View prompts.
inline constexpr char kBackgroundColorCaption[] = "Background Colour";
inline constexpr char kTileSizeCaption[] = "Tile Grid";
inline constexpr char kTileWidthLabel[] = "&Width:";
inline constexpr char kTileHeightLabel[] = "&Height:";

// The desktop side: the window's title, questions, Edit Externally and
// Preferences. %1 is the sheet's name.
inline constexpr char kTitleFormat[] = "%1[*] - Orvo Sprite Manager";
// Edit > Undo and Redo with the name of the step they take: "&Undo Import".
inline constexpr char kUndoFormat[] = "&Undo %1";
inline constexpr char kRedoFormat[] = "&Redo %1";
inline constexpr char kUntitledName[] = "Untitled";
inline constexpr char kAskSaveChanges[] = "Save changes to %1?";
inline constexpr char kAskReloadChanged[] =
    "%1 has changed on disk.\nRead it again and lose the changes made here?";
inline constexpr char kCaptionFileChanged[] = "File Changed";
inline constexpr char kCaptionEditExternally[] = "Edit Externally";
inline constexpr char kMsgEditorFailed[] = "Error: Could not start the image editor.";
inline constexpr char kPreferencesCaption[] = "Preferences";
inline constexpr char kEditorCommandLabel[] = "&Image editor command:";
inline constexpr char kEditorCommandHint[] =
    "The file's name is added at the end. Empty: the desktop's default program. "
    "TAVREL_IMAGE_EDITOR, when set, comes first.";

// Palette editing, File > New and View > All Rows.
inline constexpr char kCaptionEditingPalette[] = "Editing Palette";
// The colour editor. %1 is the row's name in the selector, %2 the index in
// the row and %3 the table entry.
inline constexpr char kColorEditorCaption[] = "Edit Colour";
inline constexpr char kColorEditorEntry[] = "%1, index %2 (entry %3)";
inline constexpr const char* kColorEditorChannels[] = {"&Red:", "&Green:", "&Blue:"};
inline constexpr char kColorEditorHex[] = "&Hex:";
inline constexpr char kColorEditorWord[] = "Colour word:";
inline constexpr char kColorEditorShown[] = "Shown as:";
inline constexpr char kColorEditorOld[] = "Old";
inline constexpr char kColorEditorNew[] = "New";
// %1 is the colour typed, %2 what a colour word, 5 bits a channel, makes of it.
inline constexpr char kColorEditorRounded[] = "%1 became %2 (5 bits a channel).";
inline constexpr char kColorEditorNotAColor[] = "Type a colour as #RRGGBB.";
inline constexpr char kColorEditorTransparent[] = "Index 0 of every row is drawn transparent.";
// Swap Rows, Swap Indices and Gradient. %1 is the row's name.
inline constexpr char kSwapRowsCaption[] = "Swap Rows";
inline constexpr char kSwapRowsFirst[] = "&Row:";
inline constexpr char kSwapRowsSecond[] = "&With row:";
inline constexpr char kSwapIndicesCaption[] = "Swap Indices";
inline constexpr char kSwapIndicesFirst[] = "&Index:";
inline constexpr char kSwapIndicesSecond[] = "&With index:";
inline constexpr char kSwapIndicesHint[] = "The two indices trade places in every row at once.";
inline constexpr char kSwapColorsOnly[] = "&Colours only: the picture's look changes";
inline constexpr char kSwapWithPixels[] =
    "Colours and &pixels: every row looks the same (unless one is index 0, drawn transparent)";
inline constexpr char kGradientCaption[] = "Gradient";
inline constexpr char kGradientFirst[] = "&From index:";
inline constexpr char kGradientSecond[] = "&To index:";
inline constexpr char kGradientHint[] =
    "In %1, the entries between the two take evenly spaced colours.";
// File > New.
inline constexpr char kNewSheetCaption[] = "New Sheet";
inline constexpr char kNewLayoutGroup[] = "Layout";
inline constexpr char kNewLayoutSpr[] = "&SPR, 256 \u00D7 288";
inline constexpr char kNewLayoutSp2[] = "SP&2, 256 \u00D7 256";
inline constexpr char kNewColorsGroup[] = "Colours";
inline constexpr char kNewColorsGrey[] = "&Grey ramp in every row";
inline constexpr char kNewColorsCurrent[] = "The &current sheet's colours";
inline constexpr char kNewColorsFile[] = "From a palette &file...";
// View > All Rows: a thumbnail of the sheet in each palette row, labelled
// with the selector's names.
inline constexpr char kAllRowsCaption[] = "All Rows";
// The sheet's file on disk, as the status bar says it; %1 is the sheet's name.
inline constexpr char kStatusSheetDeleted[] = "%1 was deleted on disk; Save writes it again";
inline constexpr char kStatusSheetCutShort[] = "%1 was cut short on disk; Save writes it again";
// %1 colours of a palette loaded were rounded.
inline constexpr char kStatusColorRounded[] = "1 colour was rounded to a 15-bit colour word";
inline constexpr char kStatusColorsRounded[] = "%1 colours were rounded to 15-bit colour words";

// A chooser that writes, before it replaces a file; %1 is the file's name.
inline constexpr char kAskReplaceFile[] = "%1 already exists. Do you want to replace it?";
inline constexpr char kReplaceButton[] = "&Replace";
// Save Palette: which colours; %1 is the palette row's name in the selector.
inline constexpr char kAskPaletteScope[] = "Which colours should the palette file hold?";
inline constexpr char kPaletteScopeRow[] = "Row %1 (16 colours)";
inline constexpr char kPaletteScopeTable[] = "Whole table (256 colours)";
// A long save.
inline constexpr char kProgressSaving[] = "Saving %1...";
// Pixel edits: the tools' names in the status bar and the tool bar, the
// status line, why the tools are off, and a paste that failed.
inline constexpr const char* kToolNames[] = {
    "Pencil",           "Eraser", "Line",   "Rectangle",
    "Filled Rectangle", "Fill",   "Picker", "Rectangle Select",
};
// %1 the tool's name, %2 its key.
inline constexpr char kToolTip[] = "%1 (%2)";
// %1 the tool, %2 and %3 the left button's index and colour, %4 and %5 the
// right button's; then the selection's size.
inline constexpr char kStatusTool[] = "%1    left %2 %3    right %4 %5";
// After index 0's colour, which the sheet shows as the background.
inline constexpr char kStatusIndexZero[] = " transparent";
inline constexpr char kStatusSelection[] = "    selection %1 \u00D7 %2";
inline constexpr char kStatusFloating[] = "    floating %1 \u00D7 %2";
// %1 bits per pixel.
inline constexpr char kToolsOff[] =
    "Drawing tools are off: a %1-bit picture has no palette indices to draw with.";
inline constexpr char kCaptionPaste[] = "Paste";
inline constexpr char kPasteHint[] =
    "Paste a picture whose colours are all in the shown palette row, or one copied from a "
    "sheet with this colour table.";
inline constexpr char kMsgClipboardEmpty[] = "The clipboard holds no picture.";

// Truecolour art into palette rows: Reduce Colours (Edit, and Import's
// message when a picture does not map exactly) and Import Colourways.
inline constexpr char kReduceColorsCaption[] = "Reduce Colours";
inline constexpr char kReduceOfferButton[] = "&Reduce Colours...";
inline constexpr char kReduceBefore[] = "Before";
inline constexpr char kReduceAfter[] = "After (as Save writes it)";
inline constexpr char kReduceRowLabel[] = "Palette &row:";
inline constexpr char kReduceRowAfter[] = "The row afterwards:";
inline constexpr char kReduceTargetGroup[] = "Colours";
inline constexpr char kReduceTargetNew[] = "&New colours for the row";
inline constexpr char kReduceTargetFixed[] = "The row's colours, &fixed";
inline constexpr char kReduceTargetKeep[] =
    "&Keep the row's colours the picture uses, choose the rest";
inline constexpr char kReduceDitherGroup[] = "Dithering";
inline constexpr char kReduceDitherNone[] = "N&one";
inline constexpr char kReduceDitherOrdered[] = "Ordered (&Bayer 4 \u00D7 4)";
inline constexpr char kReduceDitherDiffusion[] = "&Error diffusion";
inline constexpr char kReduceStrength[] = "&Strength:";
inline constexpr char kReducePercent[] = " %";
inline constexpr char kReduceAlphaThreshold[] = "&Alpha threshold:";
// Partial alpha: %1 pixels below the threshold, %2 at or above it.
inline constexpr char kReduceAlphaCounts[] =
    "Partial alpha: %1 pixels made transparent, %2 made opaque.";
// %1 mean and %2 largest CIEDE2000 difference, %3 pixels that changed
// colour of %4 opaque ones.
inline constexpr char kReduceReport[] =
    "Difference (CIEDE2000): mean %1, largest %2. %3 of %4 pixels changed colour.";
// Import Colourways.
inline constexpr char kColorwaysCaption[] = "Import Colourways";
inline constexpr char kColorwaysPictures[] = "&Pictures, the base first:";
inline constexpr const char* kColorwaysColumns[] = {"Picture", "Palette row", "Difference"};
inline constexpr char kColorwaysAdd[] = "A&dd Pictures...";
inline constexpr char kColorwaysRemove[] = "Re&move";
inline constexpr char kColorwaysUp[] = "Move &Up";
inline constexpr char kColorwaysDown[] = "Move Do&wn";
inline constexpr char kColorwaysRowLabel[] = "Palette &row of the picture:";
inline constexpr char kColorwaysReduce[] = "Reduce to &15 colour classes";
inline constexpr char kColorwaysEmpty[] =
    "Add a base picture and up to 15 recoloured copies of it, each of its size.";
// %1 colour classes (pixels alike in every picture).
inline constexpr char kColorwaysExact[] =
    "%1 colour classes: every picture is shown exactly by its row.";
inline constexpr char kColorwaysReduced[] = "%1 colour classes, reduced to 15.";
inline constexpr char kColorwaysOfferReduce[] =
    "Reduce to 15 colour classes to import them with some loss.";
inline constexpr char kColorwaysBase[] = "%1 (base)";
inline constexpr char kColorwaysExactDifference[] = "none";
// %1 mean and %2 largest CIEDE2000 difference, %3 pixels changed.
inline constexpr char kColorwaysDifference[] = "mean %1, largest %2, %3 pixels changed";
// %1 the file's name, %2 why it could not be read.
inline constexpr char kColorwaysUnread[] = "%1 could not be read: %2";
