// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>

// The largest picture any reader takes. Each reader checks the size its
// header states before anything is allocated, so that a small file cannot
// make Tavrel allocate gigabytes.
constexpr std::int64_t kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = std::int64_t(8192) * 8192;

// Refuses a side below 1 or over kMaxPictureSide, then more pixels than
// kMaxPicturePixels, naming the value and the limit.
Result CheckPictureSize(std::int64_t width, std::int64_t height);
