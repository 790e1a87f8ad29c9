// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/PaletteFile.h"
#include "image/ColorEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CColorTable;
class CReplaceBatch;

// The format Save Palette writes for a name: that of its extension as the
// format table names it (".pal" JASC-PAL, ".gpl" GIMP, ".act" Adobe Color
// Table), JASC-PAL for any other.
PaletteFormat PaletteFormatForName(const std::string& path);

// A palette file read by its content, failing under the Load Palette
// message; a file whose content is a picture is refused.
Result LoadPalette(const std::string& path, PaletteContent& palette);
// Its colours alone.
Result LoadPaletteColors(const std::string& path, std::vector<ColorEntry>& colors);
// The colour table a picture is matched against: the table of an SPR file
// (SP2: the grey ramp), or a palette file's colours, as the format table
// tells them apart. A palette of at most 16 colours stands for the given palette
// row: its colours are entries 16 * row on, the rest of the 256 black;
// otherwise the table holds the palette's colours alone.
Result LoadColorTable(const std::string& path, std::optional<std::int32_t> row, CColorTable& table);

// A palette file in another format, whole or one row of it, failing under
// the Save Palette message.
Result ConvertPaletteFile(const std::string& input, const std::string& output, PaletteFormat format,
                          std::optional<std::int32_t> row, CReplaceBatch* batch = nullptr);

// Entries 16 * row to 16 * row + 15 of the table, or all of them.
std::vector<ColorEntry> ColorsOf(const CColorTable& table, std::optional<std::int32_t> row);
