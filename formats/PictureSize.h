// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>

// The largest picture any reader takes. Each reader checks the size its
// header states before anything is allocated, so that a small file cannot
// make Tavrel allocate gigabytes.
constexpr std::int64_t kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = std::int64_t(8192) * 8192;

// What a picture's header says of the image it becomes.
struct PictureHeader
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0; // of the image, as the reader gives it
};

// Refuses a side below 1 or over kMaxPictureSide, then more pixels than
// kMaxPicturePixels, naming the value and the limit.
Result CheckPictureSize(std::int64_t width, std::int64_t height);
