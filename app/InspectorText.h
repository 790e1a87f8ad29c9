// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/PixelInspect.h"

#include <QString>

class CSpriteImage;

// The status bar's line for picture pixel (x, y): its index, palette row and
// table entry, colour word and RGB, or its RGB(A); "transparent" where only
// the background shows. Empty when the pixel is outside the picture.
QString PixelText(const PixelInfo& info, int x, int y, int paletteRow);

// The line for a swatch of the palette panel: the source entry, its colour
// and how many pixels show it. Empty for no entry.
QString SwatchText(const CSpriteImage* source, int entry, std::int64_t pixels);
