#pragma once

#include "image/ColorEntry.h"

#include <cstdint>
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

inline std::vector<std::uint8_t> BuildBmp(const BmpPicture& picture)
{
    const bool masksAfterHeader = picture.headerSize == 40 && !picture.masks.empty();
    const std::uint32_t pixelOffset = 14 + picture.headerSize +
                                      std::uint32_t(picture.palette.size()) +
                                      (masksAfterHeader ? 12 : 0);
    std::vector<std::uint8_t> out{'B', 'M'};
    PutLittle(out, pixelOffset + std::uint32_t(picture.pixels.size()), 4);
    PutLittle(out, 0, 4);
    PutLittle(out, pixelOffset, 4);
    PutLittle(out, picture.headerSize, 4);
    if (picture.headerSize == 12) {
        for (std::uint32_t field : {std::uint32_t(picture.width), std::uint32_t(picture.height),
                                    1u, std::uint32_t(picture.bits)})
            PutLittle(out, field, 2);
    } else {
        PutLittle(out, std::uint32_t(picture.width), 4);
        PutLittle(out, std::uint32_t(picture.height), 4);
        PutLittle(out, 1, 2);
        PutLittle(out, picture.bits, 2);
        for (std::uint32_t field : {picture.compression, std::uint32_t(picture.pixels.size()),
                                    2835u, 2835u, picture.colorsUsed, 0u})
            PutLittle(out, field, 4);
    }
    if (picture.headerSize > 40) {
        // Masks with an alpha mask, "sRGB", then end points, gammas and (124
        // bytes) intent and profile fields, all unused by the decoder.
        for (std::size_t i = 0; i < 4; ++i)
            PutLittle(out, i < picture.masks.size() ? picture.masks[i] : 0, 4);
        PutLittle(out, 0x73524742, 4);
        out.resize(14 + picture.headerSize, 0);
    }
    if (masksAfterHeader)
        for (std::uint32_t mask : picture.masks)
            PutLittle(out, mask, 4);
    out.insert(out.end(), picture.palette.begin(), picture.palette.end());
    out.insert(out.end(), picture.pixels.begin(), picture.pixels.end());
    return out;
}

// Palette entries blue, green, red and a zero byte (or three bytes, OS/2).
inline std::vector<std::uint8_t> StoredPalette(const std::vector<ColorEntry>& colors,
                                               int entryBytes = 4)
{
    std::vector<std::uint8_t> out;
    for (const ColorEntry& color : colors) {
        out.insert(out.end(), {color.blue, color.green, color.red});
        if (entryBytes == 4)
            out.push_back(0);
    }
    return out;
}

// Rows given top first as pixel values; stored with the leftmost pixel in the
// high bits of a byte below 8 bits, little-endian values from 16 bits on,
// each row padded to 4 bytes, bottom row first unless topDown.
inline std::vector<std::uint8_t> StoredRows(const std::vector<std::vector<std::uint32_t>>& rows,
                                            int bits, bool topDown = false)
{
    std::vector<std::uint8_t> out;
    for (std::size_t n = 0; n < rows.size(); ++n) {
        const auto& row = rows[topDown ? n : rows.size() - 1 - n];
        std::vector<std::uint8_t> stored;
        if (bits < 8) {
            stored.resize((row.size() * bits + 7) / 8, 0);
            for (std::size_t x = 0; x < row.size(); ++x) {
                const std::size_t bit = x * bits;
                stored[bit / 8] |= static_cast<std::uint8_t>(row[x] << (8 - bits - bit % 8));
            }
        } else {
            for (std::uint32_t value : row)
                PutLittle(stored, value, bits / 8);
        }
        stored.resize((stored.size() + 3) / 4 * 4, 0);
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}
