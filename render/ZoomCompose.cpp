// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/ZoomCompose.h"

#include "image/SpriteImage.h"
#include "render/ComposeHelper.h"
#include "render/PixelSpans.h"
#include "render/Render.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace
{

// What sets one device row apart from another of the same image row.
enum class LineKind
{
    Inside,    // plain: the image and what is under it
    FirstLine, // the first device row of an image pixel, where lines run across
    LastLine,  // the last one, where outlines close
};

struct RowKey
{
    std::int64_t imageRow = -1;
    std::int32_t parity = 0;
    LineKind kind = LineKind::Inside;

    bool operator==(const RowKey&) const = default;
};

std::int32_t ClampToInt32(std::int64_t value)
{
    return std::int32_t(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

bool IsDrawable(const CSpriteImage* image)
{
    if (image == nullptr || image->GetPixels() == nullptr)
        return false;
    const std::int32_t bits = image->GetBitsPerPixel();
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Everything a row needs, worked out once per composition.
class ZoomComposer
{
public:
    ZoomComposer(const CSpriteImage* image, const ZoomedView& view, const PixelRect& area)
        : m_image(IsDrawable(image) ? image : nullptr), m_view(view), m_area(area),
          m_width(area.right - area.left)
    {
        if (m_image != nullptr)
        {
            m_bytesPerPixel = m_image->GetBitsPerPixel() / 8;
            if (m_bytesPerPixel == 1)
                m_palette = MakePaletteTable(view.colors ? *view.colors : m_image->m_colorTable);
            if (view.zoom > 1)
                m_expanded.resize(std::size_t(m_width) * std::size_t(m_bytesPerPixel));
        }
        if (m_bytesPerPixel != 1)
            m_highlight = nullptr;
        m_tileGrid = view.tileWidth > 0 && view.tileHeight > 0;
    }

    bool MakeBackgroundRows()
    {
        if (!m_under.Allocate(m_width, 2))
            return false;
        if (m_view.solidBackground)
        {
            m_under.FillRect({0, 0, m_width, 2}, m_view.background);
            return true;
        }
        // Cell row 0 and cell row 1 of the picture's checkerboard, cut to the area.
        const PixelRect cells{-m_area.left, 0, m_width, 2};
        return DrawCheckerboard(&m_under, m_view.checkerCell, 1, &cells);
    }

    RowKey KeyOf(std::int32_t deviceRow) const
    {
        const std::int32_t zoom = m_view.zoom;
        const std::int32_t phase = deviceRow % zoom;
        RowKey key;
        key.imageRow = deviceRow / zoom;
        key.parity = m_view.solidBackground ? 0 : deviceRow / m_view.checkerCell % 2;
        if (phase == 0 && (m_view.pixelGrid || IsTileRow(key.imageRow) || m_highlight))
            key.kind = LineKind::FirstLine;
        else if (phase == zoom - 1 && m_highlight)
            key.kind = LineKind::LastLine;
        return key;
    }

    void BuildRow(const RowKey& key, std::uint32_t* dst)
    {
        const std::uint32_t* under = m_under.Row(key.parity);
        if (m_image == nullptr)
            std::copy(under, under + m_width, dst);
        else
            DrawSpan(m_bytesPerPixel, SourceRow(key.imageRow), m_palette, under, dst, m_width);
        DrawGrids(key, dst);
        if (m_highlight != nullptr)
            DrawOutlines(key, dst);
    }

private:
    bool IsTileRow(std::int64_t imageRow) const
    {
        return m_tileGrid && imageRow % m_view.tileHeight == 0;
    }

    // The image row's bytes under the area's columns, each pixel repeated
    // for its block's width.
    const std::uint8_t* SourceRow(std::int64_t imageRow)
    {
        const std::int32_t zoom = m_view.zoom;
        const std::uint8_t* row =
            m_image->GetPixels() + imageRow * m_image->GetWidth() * m_bytesPerPixel;
        if (zoom == 1)
            return row + std::int64_t(m_area.left) * m_bytesPerPixel;
        std::uint8_t* out = m_expanded.data();
        for (std::int32_t x = m_area.left; x < m_area.right;)
        {
            const std::int32_t run = std::min(zoom - x % zoom, m_area.right - x);
            const std::uint8_t* pixel = row + std::int64_t(x / zoom) * m_bytesPerPixel;
            if (m_bytesPerPixel == 1)
                std::memset(out, *pixel, std::size_t(run));
            else
                for (std::int32_t i = 0; i < run; ++i)
                    std::memcpy(out + std::size_t(i) * m_bytesPerPixel, pixel,
                                std::size_t(m_bytesPerPixel));
            out += std::size_t(run) * m_bytesPerPixel;
            x += run;
        }
        return m_expanded.data();
    }

    // Calls draw(column, imageColumn) for the first device column of every
    // image pixel that starts inside the area, in area columns.
    template <typename Draw>
    void ForEachBlockStart(Draw draw) const
    {
        const std::int32_t zoom = m_view.zoom;
        for (std::int32_t x = (m_area.left + zoom - 1) / zoom * zoom; x < m_area.right; x += zoom)
            draw(x - m_area.left, x / zoom);
    }

    void DrawGrids(const RowKey& key, std::uint32_t* dst) const
    {
        const bool lineRow = key.kind == LineKind::FirstLine;
        if (lineRow && IsTileRow(key.imageRow))
        {
            std::fill(dst, dst + m_width, kTileGridColor);
            return;
        }
        // The tile grid's columns cross the pixel grid's rows unbroken.
        if (lineRow && m_view.pixelGrid)
            std::fill(dst, dst + m_width, kPixelGridColor);
        if (!m_view.pixelGrid && !m_tileGrid)
            return;
        ForEachBlockStart(
            [&](std::int32_t column, std::int32_t imageColumn)
            {
                if (m_tileGrid && imageColumn % m_view.tileWidth == 0)
                    dst[column] = kTileGridColor;
                else if (m_view.pixelGrid)
                    dst[column] = kPixelGridColor;
            });
    }

    // An outline one device pixel wide inside each marked pixel's block.
    void DrawOutlines(const RowKey& key, std::uint32_t* dst) const
    {
        const std::int32_t zoom = m_view.zoom;
        const bool across = key.kind != LineKind::Inside || zoom <= 2;
        const std::uint8_t* row = m_image->GetPixels() + key.imageRow * m_image->GetWidth();
        for (std::int32_t imageColumn = m_area.left / zoom;
             std::int64_t(imageColumn) * zoom < m_area.right; ++imageColumn)
        {
            if (!(*m_highlight)[row[imageColumn]])
                continue;
            const std::int32_t blockLeft = imageColumn * zoom - m_area.left;
            const std::int32_t from = std::max(blockLeft, 0);
            const std::int32_t to = std::min(blockLeft + zoom, m_width);
            if (across)
            {
                std::fill(dst + from, dst + to, kHighlightColor);
                continue;
            }
            if (blockLeft >= 0)
                dst[blockLeft] = kHighlightColor;
            if (blockLeft + zoom - 1 < m_width)
                dst[blockLeft + zoom - 1] = kHighlightColor;
        }
    }

    const CSpriteImage* m_image;
    const ZoomedView& m_view;
    PixelRect m_area;
    std::int32_t m_width;
    std::int32_t m_bytesPerPixel = 0;
    bool m_tileGrid = false;
    const IndexMask* m_highlight = m_view.highlight;
    PaletteTable m_palette{};
    std::vector<std::uint8_t> m_expanded;
    CSurface m_under;
};

} // namespace

PixelRect ZoomedPictureRect(const CSpriteImage* displayImage, std::int32_t zoom)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureSize(displayImage, width, height);
    return {0, 0, ClampToInt32(std::int64_t(width) * zoom),
            ClampToInt32(std::int64_t(height) * zoom)};
}

namespace
{

// Below this many device pixels sharing the work costs more than it saves.
constexpr std::int64_t kMinPixelsToShare = 256 * 1024;
// Bands a shared composition is cut into: enough that a helper starting
// late still finds work, few enough that rebuilding each band's first row
// costs next to nothing.
constexpr std::int32_t kSharedBands = 16;

// Composes surface rows [from, to): the first is built, each later one is
// copied from the one above when both have the same key. A band depends on
// no row outside it, so bands may be composed at the same time.
void ComposeBand(ZoomComposer& composer, std::int32_t areaTop, CSurface& surface, std::int32_t from,
                 std::int32_t to)
{
    RowKey previous;
    for (std::int32_t y = from; y < to; ++y)
    {
        const RowKey key = composer.KeyOf(areaTop + y);
        if (y > from && key == previous)
            std::copy(surface.Row(y - 1), surface.Row(y - 1) + surface.GetWidth(), surface.Row(y));
        else
            composer.BuildRow(key, surface.Row(y));
        previous = key;
    }
}

bool IsWorthSharing(const CSurface& surface)
{
    return surface.GetHeight() >= kSharedBands &&
           std::int64_t(surface.GetWidth()) * surface.GetHeight() >= kMinPixelsToShare;
}

} // namespace

bool ComposeZoomed(const CSpriteImage* displayImage, const ZoomedView& view, CSurface& surface,
                   CComposeHelper* helper)
{
    const PixelRect picture = ZoomedPictureRect(displayImage, view.zoom);
    const PixelRect area{
        std::max(view.area.left, picture.left), std::max(view.area.top, picture.top),
        std::min(view.area.right, picture.right), std::min(view.area.bottom, picture.bottom)};
    if (view.zoom < 1 || view.checkerCell < 1 || area.left >= area.right ||
        area.top >= area.bottom ||
        !surface.Allocate(area.right - area.left, area.bottom - area.top))
    {
        surface.Free();
        return false;
    }
    const std::int32_t height = surface.GetHeight();
    // One composer per thread, both made here so that nothing allocates on
    // the helper's thread.
    ZoomComposer first(displayImage, view, area);
    std::optional<ZoomComposer> second;
    const bool share = helper != nullptr && IsWorthSharing(surface);
    if (share)
        second.emplace(displayImage, view, area);
    if (!first.MakeBackgroundRows() || (share && !second->MakeBackgroundRows()))
    {
        surface.Free();
        return false;
    }
    if (!share)
    {
        ComposeBand(first, area.top, surface, 0, height);
        return true;
    }
    helper->ShareBands(kSharedBands,
                       [&](int worker, std::int32_t band)
                       {
                           ComposeBand(
                               worker == 0 ? first : *second, area.top, surface,
                               std::int32_t(std::int64_t(height) * band / kSharedBands),
                               std::int32_t(std::int64_t(height) * (band + 1) / kSharedBands));
                       });
    return true;
}
