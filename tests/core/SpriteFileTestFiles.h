// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files and streams for the sprite and BMP tests.

#include "TestFiles.h"

#include "formats/SpriteFile.h"
#include "image/ColorEntry.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

using Bytes = std::vector<std::uint8_t>;

inline bool operator==(const ColorEntry& a, const ColorEntry& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

inline Bytes RandomBytes(std::uint32_t seed, std::size_t count)
{
    std::mt19937 random(seed);
    Bytes bytes(count);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

// An image of the given shape with seeded random pixels and colours.
inline bool FillRandom(CSpriteImage& image, int width, int height, int bits, std::uint32_t seed,
                       int colourCount = 256)
{
    if (!image.Create(width, height, bits) || !image.m_colorTable.SetSize(colourCount))
        return false;
    const Bytes pixels = RandomBytes(seed, static_cast<std::size_t>(image.GetPixelBytes()));
    std::copy(pixels.begin(), pixels.end(), image.GetPixels());
    const Bytes colours = RandomBytes(seed + 1, 4 * static_cast<std::size_t>(colourCount));
    for (int i = 0; i < colourCount; ++i)
        image.SetColor(i, colours[4 * i], colours[4 * i + 1], colours[4 * i + 2],
                       colours[4 * i + 3]);
    return true;
}

// A seeded random SPR file; with a longer trailing block, the same sheet.
inline Bytes RandomSpr(std::uint32_t seed, std::size_t trailingSize = 0)
{
    Bytes bytes = RandomBytes(seed, kSprSheetBytes + trailingSize);
    for (std::size_t i = 1; i < kSprPaletteBytes; i += 2)
        bytes[i] &= 0x7F; // bit 15 of a colour word is not kept by a save
    return bytes;
}

// A 24-bit BMP, all pixels one grey.
inline void WriteTrueColourBmp(const std::string& path, int width, int height)
{
    CSpriteImage picture;
    picture.Create(width, height, 24);
    std::memset(picture.GetPixels(), 0x80, std::size_t(picture.GetPixelBytes()));
    picture.SaveBMP(path.c_str());
}

inline std::size_t FileCount(const std::filesystem::path& folder)
{
    return FileNames(folder).size();
}

// While alive, no file of this process may grow past `bytes`: writes beyond
// fail as on a full disk, for code that opens its own files.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
};
