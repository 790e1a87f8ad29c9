// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InspectorText.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "res/Strings.h"

namespace
{
QString Hex(unsigned value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString WordText(std::uint16_t word)
{
    return QStringLiteral("0x") + Hex(word, 4);
}

QString RgbText(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return QLatin1Char('#') + Hex(unsigned(red) << 16 | unsigned(green) << 8 | blue, 6);
}

QString ColorText(const PixelInfo& info, int x, int y, int paletteRow)
{
    const QString rgb = RgbText(info.red, info.green, info.blue);
    switch (info.kind)
    {
    case PixelKind::Indexed:
        if (info.entry < 0)
            return QString::fromUtf8(kStatusPixelNoEntry).arg(x).arg(y).arg(info.index);
        return QString::fromUtf8(kStatusPixelIndexed)
            .arg(x)
            .arg(y)
            .arg(info.index)
            .arg(paletteRow)
            .arg(info.entry)
            .arg(WordText(info.colorWord), rgb);
    case PixelKind::Word16:
        return QString::fromUtf8(kStatusPixelWord).arg(x).arg(y).arg(WordText(info.colorWord), rgb);
    case PixelKind::Rgb:
        return QString::fromUtf8(kStatusPixelRgb).arg(x).arg(y).arg(rgb);
    case PixelKind::Rgba:
        return QString::fromUtf8(kStatusPixelRgba).arg(x).arg(y).arg(rgb).arg(info.alpha);
    case PixelKind::None:
        break;
    }
    return {};
}
} // namespace

QString PixelText(const PixelInfo& info, int x, int y, int paletteRow)
{
    QString text = ColorText(info, x, y, paletteRow);
    if (!text.isEmpty() && info.transparent)
        text += QString::fromUtf8(kStatusTransparent);
    return text;
}

QString SwatchText(const CSpriteImage* source, int entry, std::int64_t pixels)
{
    const ColorEntry* colour = source && entry >= 0 ? source->GetColor(entry) : nullptr;
    if (colour == nullptr)
        return {};
    return QString::fromUtf8(kStatusSwatch)
        .arg(entry)
        .arg(entry / kPaletteRowSize)
        .arg(entry % kPaletteRowSize)
        .arg(WordText(EntryToColorWord(*colour)), RgbText(colour->red, colour->green, colour->blue))
        .arg(pixels);
}
