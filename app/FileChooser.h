// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/FileFormats.h"

#include <QString>
#include <QStringList>

#include <string>

// Chooser flags, by the bit values of the common file chooser.
constexpr unsigned kChooserHideReadOnly = 0x0004;     // no read-only check box
constexpr unsigned kChooserPathMustExist = 0x0800;    // the folder must exist
constexpr unsigned kChooserFileMustExist = 0x1000;    // the file must exist
constexpr unsigned kChooserNoReadOnlyReturn = 0x8000; // refuse read-only files and folders

// Open and Import take any file the user can read; a Save that then meets a
// read-only file says so and points to Save As.
constexpr unsigned kOpenChooserFlags =
    kChooserHideReadOnly | kChooserPathMustExist | kChooserFileMustExist;
constexpr unsigned kSaveChooserFlags =
    kChooserHideReadOnly | kChooserPathMustExist | kChooserNoReadOnlyReturn;
static_assert(kOpenChooserFlags == 0x1804 && kSaveChooserFlags == 0x8804);

enum class ChooserKind
{
    Open,
    Save,
};

// One file chooser: none of them asks before a file is replaced. What it
// lists comes from the format table.
struct FileChooser
{
    ChooserKind kind;
    ChooserUse formats; // the table's formats it lists, in the table's order
    bool oneEntry;      // all of them in one entry, then every file; no initial name
    unsigned flags;
};

inline constexpr FileChooser kOpenSpriteChooser{ChooserKind::Open, ChooserUse::Sheets, false,
                                                kOpenChooserFlags};
inline constexpr FileChooser kSaveSpriteChooser{ChooserKind::Save, ChooserUse::Sheets, false,
                                                kSaveChooserFlags};
inline constexpr FileChooser kImportChooser{ChooserKind::Open, ChooserUse::Pictures, false,
                                            kOpenChooserFlags};
inline constexpr FileChooser kExportChooser{ChooserKind::Save, ChooserUse::Pictures, false,
                                            kSaveChooserFlags};
inline constexpr FileChooser kLoadPaletteChooser{ChooserKind::Open, ChooserUse::Palettes, true,
                                                 kOpenChooserFlags};
inline constexpr FileChooser kSavePaletteChooser{ChooserKind::Save, ChooserUse::Palettes, false,
                                                 kSaveChooserFlags};

// The chooser's filter: "description|pattern|" pairs, ended by one more "|".
std::string FilterOf(const FileChooser& chooser);
// What a name typed without an extension receives: its first format's.
const char* DefaultExtensionOf(const FileChooser& chooser);
// What the name field starts with: the first entry's pattern.
std::string InitialNameOf(const FileChooser& chooser);

// "Files (*.a)|*.a|Others|*.b;*.c||" to {"Files (*.a)", "Others (*.b *.c)"}:
// a description that does not end with its patterns gets them appended.
QStringList ToQtNameFilters(const char* filter);
// The extension of a Qt name filter's first pattern: "png" for "PNG Files
// (*.png)"; empty for a pattern such as "*" that names none.
QString ExtensionOfNameFilter(const QString& nameFilter);

enum class ChoiceProblem
{
    None,
    Pattern, // a name with wildcards picks files to list, it names none
    FolderMissing,
    FileMissing,
    FileReadOnly,
    FolderReadOnly,
};

// Whether a chooser with these flags may hand back path. A file or folder
// with no write permission bit at all counts as read-only even for a user
// who may write it anyway, as a read-only attribute would.
ChoiceProblem CheckChosenFile(const QString& path, unsigned flags);
