// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/PictureColors.h"

#include <cstdint>
#include <vector>

// Chooses at most `count` colour words for the colours of a picture, to sit
// beside the fixed words (which are never changed, and serve the colours
// nearest them), for the least perceptual error once every colour is shown
// in its nearest word:
//  - k-means in CIELAB over the colours (gathered in cells of 15-bit
//    colours) weighted by their pixel counts;
//  - each centre then snapped to the 15-bit colour with the least
//    count-weighted CIEDE2000 to its colours, and the colours assigned again
//    to the snapped words by CIEDE2000, a few rounds;
//  - all of it three times, from boxes cut at their weighted median, from
//    boxes cut where the two parts spread least, and from the colours
//    farthest from one another, keeping the best.
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
