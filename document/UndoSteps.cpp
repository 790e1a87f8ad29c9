// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/UndoSteps.h"

#include "image/SpriteImage.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace
{
std::size_t BytesOf(const CSpriteImage* image)
{
    if (image == nullptr)
        return 0;
    return sizeof(CSpriteImage) + std::size_t(image->GetPixelBytes()) +
           std::size_t(image->m_colorTable.GetSize()) * sizeof(ColorEntry);
}

std::size_t HeldBytesOf(const CTrailingBlock& block)
{
    return block.IsByReference() ? 0 : std::size_t(block.Size());
}

// Trades the area's rows between the buffer and the image.
void TradeRows(CSpriteImage& image, const SheetRect& area, std::uint8_t* bytes)
{
    const std::size_t pixelBytes = std::size_t(image.GetBitsPerPixel() / 8);
    const std::size_t stride = std::size_t(image.GetWidth()) * pixelBytes;
    const std::size_t rowBytes = std::size_t(area.width) * pixelBytes;
    std::uint8_t* first = image.GetPixels() + std::size_t(area.y) * stride +
                          std::size_t(area.x) * pixelBytes;
    for (std::int32_t row = 0; row < area.height; ++row)
        std::swap_ranges(bytes + std::size_t(row) * rowBytes,
                         bytes + std::size_t(row + 1) * rowBytes, first + std::size_t(row) * stride);
}
} // namespace

CSheetStep::CSheetStep(std::unique_ptr<CSpriteImage> picture, std::optional<CTrailingBlock> trailing,
                       std::optional<SpriteLayout> layout)
    : m_picture(std::move(picture)), m_trailing(std::move(trailing)), m_layout(layout)
{
}

CSheetStep::~CSheetStep() = default;

std::size_t CSheetStep::Bytes() const
{
    return sizeof(*this) + BytesOf(m_picture.get()) + (m_trailing ? HeldBytesOf(*m_trailing) : 0);
}

void CSheetStep::Trade(SheetState& sheet, SheetChanges& changes)
{
    std::swap(sheet.source, m_picture);
    changes.replaced = true;
    if (m_trailing)
        std::swap(sheet.trailing, *m_trailing);
    if (m_layout && *m_layout != sheet.layout)
    {
        std::swap(sheet.layout, *m_layout);
        changes.layout = true;
    }
}

CColorsStep::CColorsStep(std::int32_t first, std::vector<ColorEntry> colors)
    : m_first(first), m_colors(std::move(colors))
{
}

std::size_t CColorsStep::Bytes() const
{
    return sizeof(*this) + m_colors.capacity() * sizeof(ColorEntry);
}

void CColorsStep::Trade(SheetState& sheet, SheetChanges& changes)
{
    CColorTable& table = sheet.source->m_colorTable;
    for (std::size_t i = 0; i < m_colors.size(); ++i)
        std::swap(*table.GetAt(m_first + std::int32_t(i)), m_colors[i]);
    if (!m_colors.empty())
        changes.AddColors(m_first, m_first + std::int32_t(m_colors.size()) - 1);
}

CPixelsStep::CPixelsStep(const SheetRect& area, std::vector<std::uint8_t> bytes)
    : m_area(area), m_bytes(std::move(bytes))
{
}

std::unique_ptr<CPixelsStep> CPixelsStep::Capture(const CSpriteImage& image, const SheetRect& area)
{
    const std::size_t pixelBytes = std::size_t(image.GetBitsPerPixel() / 8);
    const std::size_t stride = std::size_t(image.GetWidth()) * pixelBytes;
    const std::size_t rowBytes = std::size_t(area.width) * pixelBytes;
    std::vector<std::uint8_t> bytes(rowBytes * std::size_t(area.height));
    for (std::int32_t row = 0; row < area.height; ++row)
        std::memcpy(bytes.data() + std::size_t(row) * rowBytes,
                    image.GetPixels() + std::size_t(area.y + row) * stride +
                        std::size_t(area.x) * pixelBytes,
                    rowBytes);
    return std::make_unique<CPixelsStep>(area, std::move(bytes));
}

std::size_t CPixelsStep::Bytes() const
{
    return sizeof(*this) + m_bytes.capacity();
}

void CPixelsStep::Trade(SheetState& sheet, SheetChanges& changes)
{
    TradeRows(*sheet.source, m_area, m_bytes.data());
    changes.AddPixels(m_area);
}

void CStepGroup::Add(std::unique_ptr<IUndoStep> step)
{
    m_steps.push_back(std::move(step));
}

void CStepGroup::Undo(SheetState& sheet, SheetChanges& changes)
{
    for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step)
        (*step)->Undo(sheet, changes);
}

void CStepGroup::Redo(SheetState& sheet, SheetChanges& changes)
{
    for (const auto& step : m_steps)
        step->Redo(sheet, changes);
}

std::size_t CStepGroup::Bytes() const
{
    std::size_t bytes = sizeof(*this) + m_steps.capacity() * sizeof(m_steps[0]);
    for (const auto& step : m_steps)
        bytes += step->Bytes();
    return bytes;
}
