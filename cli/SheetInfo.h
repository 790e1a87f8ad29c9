// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "cli/CommandLine.h"
#include "formats/FileFormats.h"
#include "formats/SpriteFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class CSpriteImage;

// What --info tells about one file.
struct SheetInfo
{
    std::string path;
    FileFormat format = FileFormat::Spr; // of a palette file, as its content tells
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    // For each palette row, how many different colours the pixels show when
    // the viewer shows that row; only for pictures with a colour table.
    std::optional<std::array<std::int32_t, kPaletteRowCount>> coloursPerRow;
    // SPR files only.
    std::optional<std::int64_t> trailingBytes;
    // Palette files only: how many colours it lists.
    std::int32_t paletteColours = 0;
};

std::array<std::int32_t, kPaletteRowCount> CountColoursPerRow(const CSpriteImage& image);

// Reads the file as the viewer would.
Result DescribeFile(const std::string& path, SheetInfo& info);

std::string FormatInfoLine(const SheetInfo& info);
std::string FormatInfoJson(const SheetInfo& info);

// --info over every file; answers the exit status.
int RunInfo(const CommandLine& commandLine);
