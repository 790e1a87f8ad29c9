// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/PictureFormat.h"
#include "formats/PaletteFile.h"
#include "formats/SpriteFile.h"

#include <optional>
#include <string>

// The kinds of file the converter reads and writes.
enum class FileKind
{
    Bmp,
    Spr,
    Sp2,
    Png,
    Pal, // JASC-PAL
    Gpl,
    Act,
};

// The characters after the last dot of the file's name; empty without one.
std::string ExtensionOfPath(const std::string& path);

// As the viewer tells them apart: ".bmp" in any letter case is a BMP
// picture, ".png" a PNG one, ".sp2" an SP2 sheet, ".pal", ".gpl" and ".act"
// palette files, anything else an SPR sheet.
FileKind KindOfPath(const std::string& path);

// "bmp", "spr", "sp2", "png", "pal", "gpl" or "act" in any letter case;
// nothing for another name.
std::optional<FileKind> KindFromName(const std::string& name);

// The extension without its dot, for output names and for messages.
const char* ExtensionOf(FileKind kind);
const char* DisplayNameOf(FileKind kind);

bool IsPictureKind(FileKind kind);
bool IsPaletteKind(FileKind kind);
SpriteLayout LayoutOf(FileKind spriteKind);
PictureFormat PictureFormatOf(FileKind pictureKind);
PaletteFormat PaletteFormatOf(FileKind paletteKind);
