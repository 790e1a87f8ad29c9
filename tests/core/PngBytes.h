// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// PNG files built byte by byte, for the damage no encoder writes.

#include "SpriteFileTestFiles.h"

#include <zlib.h>

#include <cstdint>
#include <string>

inline void AppendBigEndian(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(std::uint8_t(value >> shift));
}

// A chunk whose length field says `length` whatever the data holds.
inline Bytes PngChunk(const std::string& type, const Bytes& data, std::uint32_t length)
{
    Bytes chunk;
    AppendBigEndian(chunk, length);
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    chunk.insert(chunk.end(), typed.begin(), typed.end());
    AppendBigEndian(chunk, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
    return chunk;
}

inline Bytes PngChunk(const std::string& type, const Bytes& data)
{
    return PngChunk(type, data, std::uint32_t(data.size()));
}

inline Bytes PngSignatureAndHeader(std::uint32_t width, std::uint32_t height, int depth,
                                   int colourType)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {std::uint8_t(depth), std::uint8_t(colourType), 0, 0, 0});
    const Bytes chunk = PngChunk("IHDR", header);
    png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}

// The zlib stream of the bytes as stored blocks: as long as the bytes.
inline Bytes StoredZlib(const Bytes& bytes)
{
    Bytes stream(compressBound(uLong(bytes.size())));
    uLongf size = uLongf(stream.size());
    compress2(stream.data(), &size, bytes.data(), uLong(bytes.size()), 0);
    stream.resize(size);
    return stream;
}

// A whole PNG of the given rows (a filter byte before each), in one IDAT.
inline Bytes PngOfRows(std::uint32_t width, std::uint32_t height, int depth, int colourType,
                       const Bytes& rows)
{
    Bytes png = PngSignatureAndHeader(width, height, depth, colourType);
    for (const Bytes& chunk : {PngChunk("IDAT", StoredZlib(rows)), PngChunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}
