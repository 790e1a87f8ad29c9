// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Colours on a surface are 0xFFRRGGBB words, the layout of a 32-bit RGB
// image, so the window can show the buffer without converting it.
constexpr std::uint32_t MakeRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return 0xFF000000u | (std::uint32_t(red) << 16) | (std::uint32_t(green) << 8) | blue;
}

// The largest surface Allocate accepts: room for the biggest 32-bit image
// (whose pixel bytes fit a signed 32-bit count), a 2 GiB buffer. Larger
// pictures are refused before any memory is asked for.
constexpr std::int64_t kMaxSurfacePixels = std::int64_t(1) << 29;

// An off-screen drawing surface over a plain buffer of width * height words,
// rows top first with nothing between them.
class CSurface
{
public:
    CSurface() = default;
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;
    ~CSurface();

    // False (and an empty surface) when a side is below 1, the surface would
    // exceed kMaxSurfacePixels or the buffer cannot be allocated. The pixels
    // are undefined until drawn; a surface that already has this size keeps
    // its buffer.
    bool Allocate(std::int32_t width, std::int32_t height);
    // Releases the buffer; the surface is empty (0 x 0) again.
    void Free();
    std::int32_t GetWidth() const { return m_nWidth; }
    std::int32_t GetHeight() const { return m_nHeight; }
    std::uint32_t* GetBits() { return m_pBits; }
    const std::uint32_t* GetBits() const { return m_pBits; }
    // The first pixel of row y (0 <= y < height).
    std::uint32_t* Row(std::int32_t y) { return m_pBits + std::int64_t(y) * m_nWidth; }
    const std::uint32_t* Row(std::int32_t y) const { return m_pBits + std::int64_t(y) * m_nWidth; }
    bool Contains(std::int32_t x, std::int32_t y) const;

    // Pixels outside the surface read as 0 and are never written.
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t color);
    // Fills the part of the rectangle that lies on the surface.
    void FillRect(const PixelRect& rect, std::uint32_t color);

private:
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::uint32_t* m_pBits = nullptr;
};
