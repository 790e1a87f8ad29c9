#pragma once

// The row drawing of PixelSpans four pixels at a time with SSE2. Each draws
// the leading part of a span that it can and answers how many pixels that
// was; the caller draws the rest pixel by pixel. Without SSE2 they draw
// nothing and answer 0.

#include "render/PixelSpans.h"

#include <cstdint>

std::int32_t DrawWide8(const std::uint8_t* src, const PaletteTable& palette, const std::uint32_t* under,
                       std::uint32_t* dst, std::int32_t count);
std::int32_t DrawWide24(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count);
std::int32_t DrawWide32(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count);
