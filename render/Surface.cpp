// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/Surface.h"

#include <algorithm>
#include <cstddef>
#include <new>

CSurface::~CSurface()
{
    Free();
}

bool CSurface::Allocate(std::int32_t width, std::int32_t height)
{
    // A surface kept from one paint to the next spares the system a fresh
    // buffer while the picture keeps its size.
    if (m_pBits != nullptr && width == m_nWidth && height == m_nHeight)
        return true;
    Free();
    if (width < 1 || height < 1)
        return false;
    const std::int64_t pixels = std::int64_t(width) * height;
    if (pixels > kMaxSurfacePixels)
        return false;
    m_pBits = new (std::nothrow) std::uint32_t[std::size_t(pixels)];
    if (m_pBits == nullptr)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

void CSurface::Free()
{
    delete[] m_pBits;
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

bool CSurface::Contains(std::int32_t x, std::int32_t y) const
{
    return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight;
}

std::uint32_t CSurface::GetPixel(std::int32_t x, std::int32_t y) const
{
    return Contains(x, y) ? Row(y)[x] : 0;
}

void CSurface::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t color)
{
    if (Contains(x, y))
        Row(y)[x] = color;
}

void CSurface::FillRect(const PixelRect& rect, std::uint32_t color)
{
    const std::int32_t left = std::max(rect.left, 0);
    const std::int32_t top = std::max(rect.top, 0);
    const std::int32_t right = std::min(rect.right, m_nWidth);
    const std::int32_t bottom = std::min(rect.bottom, m_nHeight);
    if (left >= right)
        return;
    for (std::int32_t y = top; y < bottom; ++y)
        std::fill(Row(y) + left, Row(y) + right, color);
}
