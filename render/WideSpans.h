// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The row drawing of PixelSpans several pixels at a time. Each function
// draws the leading part of a span that it can and answers how many pixels
// that was; the caller draws the rest pixel by pixel. Builds target SSE2;
// where the processor also has AVX2, eight pixels go at a time first.

#include "render/PixelSpans.h"

#include <cstdint>

std::int32_t DrawWide8(const std::uint8_t* src, const PaletteTable& palette,
                       const std::uint32_t* under, std::uint32_t* dst, std::int32_t count);
std::int32_t DrawWide24(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count);
std::int32_t DrawWide32(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count);

// The paths those choose between, named so that each can be checked on its
// own. Without SSE2 or AVX2 they draw nothing and answer 0; the AVX2 ones
// may only run where HasAvx2 answers true.
std::int32_t DrawWide8Sse2(const std::uint8_t* src, const PaletteTable& palette,
                           const std::uint32_t* under, std::uint32_t* dst, std::int32_t count);
std::int32_t DrawWide24Sse2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count);
std::int32_t DrawWide32Sse2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count);

bool HasAvx2();
std::int32_t DrawWide8Avx2(const std::uint8_t* src, const PaletteTable& palette,
                           const std::uint32_t* under, std::uint32_t* dst, std::int32_t count);
std::int32_t DrawWide24Avx2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count);
std::int32_t DrawWide32Avx2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count);
