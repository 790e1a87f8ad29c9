// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/SpriteFile.h"

class CColorTable;
class CSpriteImage;

// The sheet a file in the layout holds once the image is written to it and
// read back: its colours as colour words hold them (SP2: the grey ramp),
// its indices as four bits hold them, cut or padded to the layout's sheet.
// Made with the very writer and reader a Save and an Open use, in memory.
Result SheetAsWritten(const CSpriteImage& image, SpriteLayout layout, CSpriteImage& written);

// Whether two pictures show the same: shape, pixels and the red, green and
// blue of every colour entry. Alpha is left out: a sheet's file keeps none,
// and index 0 shows transparent whatever its alpha.
bool ShowsTheSame(const CSpriteImage& a, const CSpriteImage& b);

// How many of the image's colour entries (at most a sheet's 256) differ in
// red, green or blue from the same entries of the table.
std::int32_t CountChangedColors(const CSpriteImage& image, const CColorTable& table);
