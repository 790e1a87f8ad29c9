// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/Surface.h"

#include <cstdint>

// The largest divisor: sums of a block's 256 pixels fit 16 bits a channel.
constexpr std::int32_t kMaxShrinkDivisor = 16;

// A composed picture made smaller by a whole divisor: each divisor x
// divisor block of `from` becomes one pixel of `to`, the average of its
// colours, and a block cut by the right or bottom edge averages what it
// holds. `to` gets a side of from's divided by the divisor, rounded up.
// False (and an empty `to`) for a divisor below 1 or above 16, an empty
// `from` or a surface that cannot be allocated.
bool ShrinkSurface(const CSurface& from, std::int32_t divisor, CSurface& to);
