// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/PictureColors.h"

#include <cstdint>
#include <vector>

// Chooses at most `count` colour words for the colours of a picture, to sit
// beside the fixed words (which are never changed, and serve the colours
// nearest them), for the least perceptual error once every colour is shown
// in its nearest word:
//  - k-means in CIELAB over the colours weighted by their pixel counts,
//    started from a median cut and assigning each colour to its nearest
//    centre by CIEDE2000;
//  - each centre then snapped to the 15-bit colour with the least
//    count-weighted CIEDE2000 to its colours, and the colours assigned again
//    to the snapped words, a few rounds.
// Colours that fit (at most `count` besides the fixed ones) become their own
// words: a picture in 15-bit colours comes back exactly. The words are
// distinct, none is a fixed one, and there may be fewer than `count`.
std::vector<std::uint16_t> ChooseColorWords(const std::vector<PictureColor>& colors,
                                            const std::vector<std::uint16_t>& fixed,
                                            std::int32_t count);

// The 15-bit colour word with the least count-weighted CIEDE2000 to the
// colours given, among those around their mean.
std::uint16_t BestWordFor(const std::vector<PictureColor>& colors,
                          const std::vector<std::int32_t>& members);
