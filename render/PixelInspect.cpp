// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PixelInspect.h"

#include "image/ColorWord.h"
#include "image/SpriteImage.h"
#include "render/PixelSpans.h"

namespace
{

constexpr std::uint16_t kKeyWord16 = 0x7C1F;
constexpr std::uint16_t kColorBits16 = 0x7FFF;

void InspectIndexed(const CSpriteImage& source, const CSpriteImage& display,
                    std::int32_t paletteRow, std::uint8_t index, PixelInfo& info)
{
    info.kind = PixelKind::Indexed;
    info.index = index;
    const ColorEntry* shown = display.GetColor(index);
    info.transparent =
        index == 0 || shown == nullptr || IsColorKey(shown->red, shown->green, shown->blue);
    const std::int32_t entry = ShownEntry(index, paletteRow);
    const ColorEntry* colour = source.GetColor(entry);
    if (colour == nullptr)
        return;
    info.entry = entry;
    info.colorWord = EntryToColorWord(*colour);
    info.red = colour->red;
    info.green = colour->green;
    info.blue = colour->blue;
}

void InspectWord16(const std::uint8_t* pixel, PixelInfo& info)
{
    // The same spreading of five bits over eight as the drawing does.
    const auto expand = [](std::uint32_t c) { return std::uint8_t(c == 31 ? 255 : c * 8); };
    info.kind = PixelKind::Word16;
    info.colorWord = std::uint16_t(pixel[0] | pixel[1] << 8);
    info.transparent = (info.colorWord & kColorBits16) == kKeyWord16;
    info.red = expand((info.colorWord >> 10) & 31);
    info.green = expand((info.colorWord >> 5) & 31);
    info.blue = expand(info.colorWord & 31);
}

} // namespace

std::int32_t ShownEntry(std::int32_t index, std::int32_t paletteRow)
{
    return index < kPaletteRowSize ? paletteRow * kPaletteRowSize + index : index;
}

PixelInfo InspectPixel(const CSpriteImage* source, const CSpriteImage* display,
                       std::int32_t paletteRow, std::int32_t x, std::int32_t y)
{
    PixelInfo info;
    if (source == nullptr || display == nullptr || display->GetPixels() == nullptr || x < 0 ||
        y < 0 || x >= display->GetWidth() || y >= display->GetHeight())
        return info;
    const std::int32_t bytes = display->GetBitsPerPixel() / 8;
    const std::uint8_t* pixel =
        display->GetPixels() + (std::int64_t(y) * display->GetWidth() + x) * bytes;
    switch (bytes)
    {
    case 1:
        InspectIndexed(*source, *display, paletteRow, *pixel, info);
        break;
    case 2:
        InspectWord16(pixel, info);
        break;
    case 3:
    case 4:
        info.kind = bytes == 3 ? PixelKind::Rgb : PixelKind::Rgba;
        info.red = pixel[0];
        info.green = pixel[1];
        info.blue = pixel[2];
        info.alpha = bytes == 4 ? pixel[3] : 255;
        info.transparent = IsColorKey(pixel[0], pixel[1], pixel[2]) || info.alpha == 0;
        break;
    default:
        break;
    }
    return info;
}

IndexCounts CountIndices(const CSpriteImage* image)
{
    IndexCounts counts{};
    if (image == nullptr || image->GetBitsPerPixel() != 8 || image->GetPixels() == nullptr)
        return counts;
    const std::uint8_t* pixels = image->GetPixels();
    for (std::int32_t i = 0; i < image->GetPixelBytes(); ++i)
        ++counts[pixels[i]];
    return counts;
}

IndexMask IndicesShowing(std::int32_t entry, std::int32_t paletteRow)
{
    IndexMask mask{};
    for (std::int32_t index = 0; index < std::int32_t(mask.size()); ++index)
        mask[std::size_t(index)] = ShownEntry(index, paletteRow) == entry;
    return mask;
}
