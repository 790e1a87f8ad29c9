// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/FileFormats.h"
#include "res/Strings.h"

#include <QString>
#include <QStringList>

#include <string>

// Chooser flags, by the bit values of the common file chooser.
constexpr unsigned kChooserOverwritePrompt = 0x0002;  // ask before replacing a file
constexpr unsigned kChooserHideReadOnly = 0x0004;     // no read-only check box
constexpr unsigned kChooserPathMustExist = 0x0800;    // the folder must exist
constexpr unsigned kChooserFileMustExist = 0x1000;    // the file must exist
constexpr unsigned kChooserNoReadOnlyReturn = 0x8000; // refuse read-only files and folders

// Open and Import take any file the user can read; a Save that then meets a
// read-only file says so and points to Save As. Every chooser that writes
// asks before it replaces a file chosen by mistake.
constexpr unsigned kOpenChooserFlags =
    kChooserHideReadOnly | kChooserPathMustExist | kChooserFileMustExist;
constexpr unsigned kSaveChooserFlags = kChooserOverwritePrompt | kChooserHideReadOnly |
                                       kChooserPathMustExist | kChooserNoReadOnlyReturn;
static_assert(kOpenChooserFlags == 0x1804 && kSaveChooserFlags == 0x8806);

enum class ChooserKind
{
    Open,
    Save,
};

// One file chooser. The entries it lists come from the format table.
struct FileChooser
{
    ChooserKind kind;
    ChooserUse formats;   // the table's formats it lists, in the table's order
    bool oneEntry;        // all of them in one entry, no initial name
    const char* allEntry; // after their own entries, one that lists them all; or none
    bool anyFile;         // last, an entry for every file
    unsigned flags;
    const char* title; // the command's name
};

// Open and Import list their own entries first, then every file they read,
// then every file.
inline constexpr FileChooser kOpenSpriteChooser{ChooserKind::Open, ChooserUse::Sheets, false,
                                                kAllSheetsEntry,   true,
                                                kOpenChooserFlags, kOpenTitle};
inline constexpr FileChooser kSaveSpriteChooser{ChooserKind::Save, ChooserUse::Sheets, false,
                                                nullptr,           false,
                                                kSaveChooserFlags, kSaveAsTitle};
inline constexpr FileChooser kImportChooser{ChooserKind::Open, ChooserUse::Pictures, false,
                                            kAllPicturesEntry, true,
                                            kOpenChooserFlags, kImportTitle};
inline constexpr FileChooser kExportChooser{ChooserKind::Save, ChooserUse::Pictures, false,
                                            nullptr,           false,
                                            kSaveChooserFlags, kExportTitle};
inline constexpr FileChooser kLoadPaletteChooser{ChooserKind::Open, ChooserUse::Palettes, true,
                                                 nullptr,           true,
                                                 kOpenChooserFlags, kLoadPaletteTitle};
inline constexpr FileChooser kSavePaletteChooser{ChooserKind::Save, ChooserUse::Palettes, false,
                                                 nullptr,           false,
                                                 kSaveChooserFlags, kSavePaletteTitle};

// The chooser's filter: "description|pattern|" pairs, ended by one more "|".
std::string FilterOf(const FileChooser& chooser);
// What a name typed without an extension receives: its first format's.
const char* DefaultExtensionOf(const FileChooser& chooser);
// What the name field starts with when no name is proposed: the first
// entry's pattern.
std::string InitialNameOf(const FileChooser& chooser);

// Where a chooser starts: a folder (none: the process's own) and a name
// proposed in the name field (none: the chooser's initial name).
struct ChooserStart
{
    QString folder;
    QString name;
};

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
