// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"

#include <cstring>
#include <limits>
#include <new>

namespace
{

bool IsSupportedDepth(std::int32_t bitsPerPixel)
{
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

} // namespace

std::int64_t CSpriteImage::ByteCountFor(std::int32_t width, std::int32_t height,
                                        std::int32_t bitsPerPixel)
{
    if (!IsSupportedDepth(bitsPerPixel) || width < 1 || height < 1)
        return -1;
    // A row holds at most 4 * (2^31 - 1) bytes, which 64 bits hold; the
    // whole count is checked by division so that it is never formed when
    // it would not fit.
    const std::int64_t rowBytes = std::int64_t(bitsPerPixel / 8) * width;
    if (rowBytes > std::numeric_limits<std::int32_t>::max() / height)
        return -1;
    return rowBytes * height;
}

CSpriteImage::CSpriteImage(const CSpriteImage& other) : CBaseObject(other)
{
    *this = other;
}

CSpriteImage::~CSpriteImage()
{
    Free();
}

std::int32_t CSpriteImage::GetPixelBytes() const
{
    return m_nBitsPerPixel / 8 * m_nWidth * m_nHeight;
}

bool CSpriteImage::Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel)
{
    const std::int64_t count = ByteCountFor(width, height, bitsPerPixel);
    if (count < 0)
        return false;
    auto* pixels = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(count)];
    if (pixels == nullptr)
        return false;
    Free();
    m_pPixels = pixels;
    m_nBitsPerPixel = bitsPerPixel;
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

void CSpriteImage::Free()
{
    delete[] m_pPixels;
    m_pPixels = nullptr;
    m_nBitsPerPixel = 0;
    m_nWidth = 0;
    m_nHeight = 0;
}

CSpriteImage& CSpriteImage::operator=(const CSpriteImage& other)
{
    if (this == &other)
        return *this;
    Free();
    m_colorTable = other.m_colorTable;
    if (other.m_pPixels == nullptr)
        return *this;
    if (!Create(other.m_nWidth, other.m_nHeight, other.m_nBitsPerPixel))
        return *this;
    std::memcpy(m_pPixels, other.m_pPixels, static_cast<std::size_t>(GetPixelBytes()));
    return *this;
}

bool CSpriteImage::SetColor(std::int32_t index, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue, std::uint8_t alpha)
{
    if (index < 0 || index >= m_colorTable.GetSize())
        return false;
    m_colorTable.SetAt(index, red, green, blue, alpha);
    return true;
}

ColorEntry* CSpriteImage::GetColor(std::int32_t index)
{
    if (index < 0 || index >= m_colorTable.GetSize())
        return nullptr;
    return m_colorTable.GetAt(index);
}

const ColorEntry* CSpriteImage::GetColor(std::int32_t index) const
{
    if (index < 0 || index >= m_colorTable.GetSize())
        return nullptr;
    return m_colorTable.GetAt(index);
}
