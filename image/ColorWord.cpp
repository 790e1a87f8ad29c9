// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/ColorWord.h"

namespace
{

constexpr std::uint16_t kColorFieldMask = 0x1F;
constexpr int kColorFieldShift = 3; // a 5-bit field sits in bits 3-7 of its byte
constexpr int kGreenShift = 5;
constexpr int kBlueShift = 10;
constexpr std::uint8_t kOpaque = 255;

std::uint8_t ExpandColorField(std::uint16_t word, int shift)
{
    return static_cast<std::uint8_t>(((word >> shift) & kColorFieldMask) << kColorFieldShift);
}

} // namespace

ColorEntry ColorWordToEntry(std::uint16_t word)
{
    return ColorEntry{ExpandColorField(word, 0), ExpandColorField(word, kGreenShift),
                      ExpandColorField(word, kBlueShift), kOpaque};
}

std::uint16_t EntryToColorWord(const ColorEntry& entry)
{
    return static_cast<std::uint16_t>((entry.red >> kColorFieldShift) |
                                      ((entry.green >> kColorFieldShift) << kGreenShift) |
                                      ((entry.blue >> kColorFieldShift) << kBlueShift));
}

ColorEntry RoundToColorWord(const ColorEntry& entry)
{
    return ColorWordToEntry(EntryToColorWord(entry));
}
