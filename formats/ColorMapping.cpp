// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ColorMapping.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace
{

constexpr std::int32_t kIndexCount = 256;
constexpr std::int16_t kNoEntry = -1;
constexpr std::int16_t kTwoEntries = -2;
constexpr std::uint8_t kTransparentAlpha = 0;
constexpr std::uint8_t kTransparentIndex = 0;

std::uint32_t RgbOf(const ColorEntry& color)
{
    return std::uint32_t(color.red) << 16 | std::uint32_t(color.green) << 8 | color.blue;
}

// The entries a picture may use: the whole table or one row of it, each
// colour with the index it becomes, or kTwoEntries when it is held twice.
class CTargetColors
{
public:
    CTargetColors(const CColorTable& table, std::int32_t row)
    {
        const std::int32_t first = row == kMapWholeTable ? 0 : row * kPaletteRowSize;
        const std::int32_t count = row == kMapWholeTable ? kIndexCount : kPaletteRowSize;
        for (std::int32_t i = 0; i < count && first + i < table.GetSize(); ++i)
            Add(RgbOf(*table.GetAt(first + i)), static_cast<std::int16_t>(i));
        std::sort(m_entries.begin(), m_entries.end());
        m_first = first;
        m_count = count;
    }

    // The index the colour becomes, kNoEntry or kTwoEntries.
    std::int16_t Find(std::uint32_t rgb) const
    {
        const auto found =
            std::lower_bound(m_entries.begin(), m_entries.end(),
                             std::pair<std::uint32_t, std::int16_t>{rgb, kTwoEntries});
        return found != m_entries.end() && found->first == rgb ? found->second : kNoEntry;
    }

    // Whether index i of a picture holds, at the same place, the target's colour.
    bool HoldsAt(std::int32_t index, std::uint32_t rgb, const CColorTable& table) const
    {
        return index < m_count && m_first + index < table.GetSize() &&
               RgbOf(*table.GetAt(m_first + index)) == rgb;
    }

private:
    void Add(std::uint32_t rgb, std::int16_t index)
    {
        for (auto& entry : m_entries)
            if (entry.first == rgb)
            {
                entry.second = kTwoEntries;
                return;
            }
        m_entries.emplace_back(rgb, index);
    }

    std::vector<std::pair<std::uint32_t, std::int16_t>> m_entries;
    std::int32_t m_first = 0;
    std::int32_t m_count = 0;
};

// The index pixel i had before the edit, where it holds the colour the
// pixel has now; kTwoEntries where nothing tells the two entries apart.
std::int16_t PreviousIndex(const CSpriteImage* previous, std::int32_t i, std::uint32_t rgb,
                           const CColorTable& table, const CTargetColors& targets)
{
    if (previous == nullptr)
        return kTwoEntries;
    const std::uint8_t index = previous->GetPixels()[i];
    return targets.HoldsAt(index, rgb, table) ? std::int16_t(index) : kTwoEntries;
}

Result Unmatched(std::int16_t found, std::uint32_t rgb, std::int32_t x, std::int32_t y)
{
    Result result =
        Failure(found == kTwoEntries ? Reason::ColorAmbiguous : Reason::ColorMissing, rgb);
    result.detail = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return result;
}

// The colour of a picture's index; entries its table lacks are black, as
// every writer stores them.
std::uint32_t PictureRgb(const CSpriteImage& picture, std::int32_t index)
{
    const ColorEntry* color = picture.GetColor(index);
    return color != nullptr ? RgbOf(*color) : 0;
}

std::array<bool, kIndexCount> UsedIndices(const CSpriteImage& picture)
{
    std::array<bool, kIndexCount> used{};
    const std::uint8_t* pixels = picture.GetPixels();
    for (std::int32_t i = 0; i < picture.GetPixelBytes(); ++i)
        used[pixels[i]] = true;
    return used;
}

bool IsSameOrder(const CSpriteImage& picture, const CColorTable& table,
                 const CTargetColors& targets, const std::array<bool, kIndexCount>& used)
{
    for (std::int32_t index = 0; index < kIndexCount; ++index)
        if (used[index] && !targets.HoldsAt(index, PictureRgb(picture, index), table))
            return false;
    return true;
}

Result MapIndexed(const CSpriteImage& picture, const CColorTable& table,
                  const CTargetColors& targets, CSpriteImage& mapped, MappingKind& kind,
                  const CSpriteImage* previous)
{
    const std::array<bool, kIndexCount> used = UsedIndices(picture);
    const std::uint8_t* source = picture.GetPixels();
    std::uint8_t* target = mapped.GetPixels();
    if (IsSameOrder(picture, table, targets, used))
    {
        kind = MappingKind::SameOrder;
        std::copy_n(source, picture.GetPixelBytes(), target);
        return {};
    }
    std::array<std::int16_t, kIndexCount> found{};
    for (std::int32_t index = 0; index < kIndexCount; ++index)
        found[index] = used[index] ? targets.Find(PictureRgb(picture, index)) : kNoEntry;
    kind = MappingKind::Matched;
    for (std::int32_t i = 0; i < picture.GetPixelBytes(); ++i)
    {
        std::int16_t index = found[source[i]];
        if (index == kTwoEntries)
            index = PreviousIndex(previous, i, PictureRgb(picture, source[i]), table, targets);
        if (index < 0)
            return Unmatched(index, PictureRgb(picture, source[i]), i % picture.GetWidth(),
                             i / picture.GetWidth());
        target[i] = static_cast<std::uint8_t>(index);
    }
    return {};
}

Result MapTrueColor(const CSpriteImage& picture, const CColorTable& table,
                    const CTargetColors& targets, CSpriteImage& mapped, MappingKind& kind,
                    const CSpriteImage* previous)
{
    const std::int32_t bytesPerPixel = picture.GetBitsPerPixel() / 8;
    const bool hasAlpha = bytesPerPixel == 4;
    const std::uint8_t* pixel = picture.GetPixels();
    std::uint8_t* target = mapped.GetPixels();
    const std::int32_t count = picture.GetWidth() * picture.GetHeight();
    // Neighbouring pixels mostly share a colour: one lookup serves a run.
    std::optional<std::uint32_t> lastRgb;
    std::int16_t lastIndex = kNoEntry;
    kind = MappingKind::Matched;
    for (std::int32_t i = 0; i < count; ++i, pixel += bytesPerPixel)
    {
        if (hasAlpha && pixel[3] == kTransparentAlpha)
        {
            target[i] = kTransparentIndex;
            continue;
        }
        const std::uint32_t rgb = std::uint32_t(pixel[0]) << 16 | pixel[1] << 8 | pixel[2];
        if (rgb != lastRgb)
        {
            lastRgb = rgb;
            lastIndex = targets.Find(rgb);
        }
        const std::int16_t index =
            lastIndex == kTwoEntries ? PreviousIndex(previous, i, rgb, table, targets) : lastIndex;
        if (index < 0)
            return Unmatched(index, rgb, i % picture.GetWidth(), i / picture.GetWidth());
        target[i] = static_cast<std::uint8_t>(index);
    }
    return {};
}

} // namespace

Result MapToSheetColors(const CSpriteImage& picture, const CColorTable& target, std::int32_t row,
                        CSpriteImage& mapped, MappingKind& kind, const CSpriteImage* previous)
{
    mapped.Free();
    const std::int32_t bits = picture.GetBitsPerPixel();
    if (row != kMapWholeTable && (row < 0 || row >= kPaletteRowCount))
        return Failure(Reason::BadPaletteRow, row, kPaletteRowCount - 1);
    if (picture.GetPixels() == nullptr || (bits != 8 && bits != 24 && bits != 32))
        return Failure(Reason::MappingBadDepth, bits);
    if (!mapped.Create(picture.GetWidth(), picture.GetHeight(), 8))
        return Failure(Reason::OutOfMemory);
    mapped.m_colorTable = target;
    const CTargetColors targets(target, row);
    // Previous indices count only where they are the same pixels.
    if (previous && (previous->GetBitsPerPixel() != 8 || !previous->GetPixels() ||
                     previous->GetWidth() != picture.GetWidth() ||
                     previous->GetHeight() != picture.GetHeight()))
        previous = nullptr;
    Result result = bits == 8 ? MapIndexed(picture, target, targets, mapped, kind, previous)
                              : MapTrueColor(picture, target, targets, mapped, kind, previous);
    if (!result)
        mapped.Free();
    return result;
}
