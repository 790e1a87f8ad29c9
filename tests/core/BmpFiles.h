// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/ColorEntry.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

// BMP files assembled byte by byte, so each test shows the file it feeds in.
struct BmpPicture
{
    std::uint32_t headerSize = 40; // 12 (OS/2), 40, 108 or 124
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: rows stored top first
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint8_t> palette; // entries as stored
    std::vector<std::uint32_t> masks;  // red, green, blue bit-field masks
    std::vector<std::uint8_t> pixels;  // the pixel array as stored
};

inline void PutLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void SetDword(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::vector<std::uint8_t> BuildBmp(const BmpPicture& p)
{
    const bool masksAfterHeader = p.headerSize == 40 && !p.masks.empty();
    const auto pixelOffset =
        std::uint32_t(14 + p.headerSize + p.palette.size() + (masksAfterHeader ? 12 : 0));
    std::vector<std::uint8_t> out{'B', 'M'};
    for (std::uint32_t field :
         {pixelOffset + std::uint32_t(p.pixels.size()), 0u, pixelOffset, p.headerSize})
        PutLittle(out, field, 4);
    const int sizeBytes = p.headerSize == 12 ? 2 : 4;
    PutLittle(out, std::uint32_t(p.width), sizeBytes);
    PutLittle(out, std::uint32_t(p.height), sizeBytes);
    PutLittle(out, 1u | p.bits << 16, 4); // planes, bits
    if (p.headerSize > 12)
        for (std::uint32_t field :
             {p.compression, std::uint32_t(p.pixels.size()), 2835u, 2835u, p.colorsUsed, 0u})
            PutLittle(out, field, 4);
    if (p.headerSize > 40)
    {
        // The masks, an alpha mask, "sRGB"; end points, gammas and profile
        // fields stay zero.
        for (std::size_t i = 0; i < 4; ++i)
            PutLittle(out, i < p.masks.size() ? p.masks[i] : 0, 4);
        PutLittle(out, 0x73524742, 4);
        out.resize(14 + p.headerSize, 0);
    }
    if (masksAfterHeader)
        for (std::uint32_t mask : p.masks)
            PutLittle(out, mask, 4);
    out.insert(out.end(), p.palette.begin(), p.palette.end());
    out.insert(out.end(), p.pixels.begin(), p.pixels.end());
    return out;
}

// Entries blue, green, red and a zero byte (three bytes for OS/2 files).
inline std::vector<std::uint8_t> StoredPalette(const std::vector<ColorEntry>& colors,
                                               int entryBytes = 4)
{
    std::vector<std::uint8_t> out;
    for (const ColorEntry& color : colors)
    {
        out.insert(out.end(), {color.blue, color.green, color.red, 0});
        out.resize(out.size() - 4 + entryBytes);
    }
    return out;
}

// Rows given top first as pixel values, stored bottom row first unless
// topDown, each padded to 4 bytes: below 8 bits the leftmost pixel takes the
// high bits of a byte, from 16 bits on values are little-endian.
inline std::vector<std::uint8_t> StoredRows(const std::vector<std::vector<std::uint32_t>>& rows,
                                            int bits, bool topDown = false)
{
    std::vector<std::uint8_t> out;
    for (std::size_t n = 0; n < rows.size(); ++n)
    {
        const auto& row = rows[topDown ? n : rows.size() - 1 - n];
        std::vector<std::uint8_t> stored((row.size() * bits + 31) / 32 * 4, 0);
        for (std::size_t x = 0; x < row.size(); ++x)
            for (int byte = 0; byte < (bits + 7) / 8; ++byte)
            {
                const std::size_t bit = x * bits + byte * 8;
                const std::uint32_t value = row[x] >> (8 * byte);
                stored[bit / 8] |=
                    static_cast<std::uint8_t>(bits < 8 ? value << (8 - bits - bit % 8) : value);
            }
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

using BmpRows = std::vector<std::vector<std::uint32_t>>;

// Distinct colours, their alpha 0 as a file does not carry it.
inline std::vector<ColorEntry> TestColours(int count)
{
    std::vector<ColorEntry> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back({std::uint8_t(i * 5 + 1), std::uint8_t(255 - i), std::uint8_t(i * 3), 0});
    return colours;
}

// Uncompressed rows with colourCount test colours (none from 16 bits on).
inline BmpPicture IndexedBmp(const BmpRows& rows, int bits, int colourCount, bool topDown = false)
{
    BmpPicture picture;
    picture.width = std::int32_t(rows[0].size());
    picture.height = std::int32_t(topDown ? -rows.size() : rows.size());
    picture.bits = std::uint16_t(bits);
    picture.colorsUsed = colourCount < (1 << std::min(bits, 16)) ? std::uint32_t(colourCount) : 0;
    picture.palette = StoredPalette(TestColours(colourCount));
    picture.pixels = StoredRows(rows, bits, topDown);
    return picture;
}
