// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "image/ColorEntry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class CReplaceBatch;

// Palette files: lists of 1 to 256 colours that other tools load and save.
// A palette's order is its meaning (entry i colours index i), so a file is
// read exactly as it lists its colours and written the same way: nothing is
// sorted, merged or trimmed. The format is told from the bytes, never from
// the name:
//  - JASC-PAL: "JASC-PAL", "0100", the count, then one "R G B" line each;
//  - RIFF PAL: "RIFF" size "PAL ", a "data" chunk with version 0x0300, the
//    count, then red, green, blue and a flags byte for each colour;
//  - GIMP: "GIMP Palette", optional "Name:" and "Columns:" lines, '#'
//    comments, then "R G B name" lines;
//  - Adobe Color Table: 768 bytes of red, green, blue, or 772 with a
//    big-endian colour count and a transparent index (0xFFFF none) after;
//  - colour words as an SPR file holds them: 32 or 512 bytes, 16 or 256
//    little-endian BGR555 words.
// A file of exactly the size of a colour table or of colour words whose
// bytes happen to begin like a text or RIFF palette, but do not read as
// one, is read as the format its size names. Colours read have alpha 255. Colour words keep the top
// five bits of each channel, so a colour that went through them keeps its colour word.

enum class PaletteFormat
{
    Jasc,
    Riff,
    Gimp,
    Act,
    ColorWords,
};

constexpr std::size_t kMaxPaletteColors = 256;
// Larger files are no palette: the longest GIMP palette with names and
// comments is a few tens of kilobytes.
constexpr std::size_t kMaxPaletteFileBytes = 1 << 20;

struct PaletteContent
{
    PaletteFormat format = PaletteFormat::Jasc;
    std::vector<ColorEntry> colors;
};

// The format whose signature the bytes begin with (JASC-PAL, GIMP, RIFF
// PAL); nothing for the formats told by their size.
std::optional<PaletteFormat> PaletteSignatureOf(const std::uint8_t* bytes, std::size_t size);
// Reads the colours of a palette file's bytes.
Result ParsePalette(const std::uint8_t* bytes, std::size_t size, PaletteContent& palette);
Result LoadPaletteFile(const char* path, PaletteContent& palette);

// The bytes of a palette file; fails for an empty list, more than 256
// colours, or colour words other than 16 or 256.
Result EncodePalette(const std::vector<ColorEntry>& colors, PaletteFormat format,
                     std::vector<std::uint8_t>& bytes);
// The same written through a safe replacement of the file at path.
Result SavePaletteFile(const std::vector<ColorEntry>& colors, PaletteFormat format,
                       const char* path, CReplaceBatch* batch = nullptr);
