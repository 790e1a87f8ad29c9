// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "image/ColorEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Colours as text and on the clipboard, the same for the window and the
// converter.

// "#F800F8": the colour's 8-bit channels as the window shows them.
std::string ColorText(const ColorEntry& color);
// "#RRGGBB", the '#' optional, letters in either case, blanks around
// allowed: the colour exactly as written, opaque. Reason::NotAColor names
// any other text.
Result ParseColorText(std::string_view text, ColorEntry& color);

// A run of colours in the two forms the clipboard holds: a GIMP palette's
// text, which a text editor or GIMP takes, and the colour words a sheet
// holds, two little-endian bytes each.
std::string ColorsAsPaletteText(const std::vector<ColorEntry>& colors);
std::vector<std::uint8_t> ColorsAsWords(const std::vector<ColorEntry>& colors);
// And back: the colour words when there are any, else the text, one
// "#RRGGBB" or a GIMP or JASC-PAL palette's text.
Result ColorsFromClipboard(const std::vector<std::uint8_t>& words, std::string_view text,
                           std::vector<ColorEntry>& colors);
