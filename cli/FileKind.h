#pragma once

#include "formats/SpriteFile.h"

#include <optional>
#include <string>

// The three kinds of file the converter reads and writes.
enum class FileKind
{
    Bmp,
    Spr,
    Sp2,
};

// The characters after the last dot of the file's name; empty without one.
std::string ExtensionOfPath(const std::string& path);

// As the viewer tells them apart: ".bmp" in any letter case is a BMP
// picture, ".sp2" an SP2 sheet, anything else an SPR sheet.
FileKind KindOfPath(const std::string& path);

// "bmp", "spr" or "sp2" in any letter case; nothing for another name.
std::optional<FileKind> KindFromName(const std::string& name);

// The extension without its dot, for output names and for messages.
const char* ExtensionOf(FileKind kind);
const char* DisplayNameOf(FileKind kind);

SpriteLayout LayoutOf(FileKind spriteKind);
