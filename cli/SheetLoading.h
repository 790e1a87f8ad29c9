#pragma once

#include "cli/FileKind.h"

#include <cstdint>
#include <memory>
#include <string>

class CSpriteImage;

// Reads a file into the image as the viewer's Open (SPR, SP2) or Import
// (BMP) does. Answers the viewer's failure text, or null on success.
const char* LoadSheet(const std::string& path, FileKind kind, CSpriteImage& image);

// An SPR file's bytes after the sheet; size 0 when it has none.
struct OwnedTrailingBlock
{
    std::unique_ptr<std::uint8_t[]> data;
    std::int32_t size = 0;
};

// False when the file cannot be opened again to read its trailing block.
bool LoadTrailingBlock(const std::string& path, OwnedTrailingBlock& block);
