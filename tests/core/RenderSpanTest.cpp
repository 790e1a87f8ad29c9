// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PixelSpans.h"
#include "render/Surface.h"
#include "render/WideSpans.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace
{

std::uint8_t PlainBlend(std::uint32_t d, std::uint32_t s, std::uint32_t a)
{
    return std::uint8_t((d * (255 - a) + s * a) / 255);
}

// Every (surface, source, alpha) triple, through the single-channel blend
// (which the narrow drawing uses) and through whole rows of 32-bit pixels in
// each wide blend this processor can run. Pair k is source s = k / 256 over
// surface d = k % 256; red and green see (d, s), blue sees (255 - d, 255 - s),
// so swapped channels show, and no source pixel is the key.
TEST(RenderSpan, EveryBlendTripleMatchesThePlainFormula)
{
    using Draw32 =
        std::int32_t (*)(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t);
    std::vector<std::pair<const char*, Draw32>> blends = {{"sse2", DrawWide32Sse2}};
    if (HasAvx2())
        blends.emplace_back("avx2", DrawWide32Avx2);
    constexpr std::int32_t kPairs = 256 * 256;
    std::vector<std::uint8_t> source(4 * kPairs);
    std::vector<std::uint32_t> under(kPairs);
    std::vector<std::uint32_t> row(kPairs);
    for (std::uint32_t k = 0; k < kPairs; ++k)
    {
        source[4 * k] = source[4 * k + 1] = std::uint8_t(k >> 8);
        source[4 * k + 2] = std::uint8_t(255 - (k >> 8));
        under[k] = MakeRgb(std::uint8_t(k), std::uint8_t(k), std::uint8_t(255 - (k & 255)));
    }
    for (std::uint32_t a = 0; a < 256; ++a)
    {
        for (std::uint32_t k = 0; k < kPairs; ++k)
        {
            source[4 * k + 3] = std::uint8_t(a);
            ASSERT_EQ(BlendChannel(std::uint8_t(k), std::uint8_t(k >> 8), std::uint8_t(a)),
                      PlainBlend(k & 255, k >> 8, a))
                << k << " " << a;
        }
        for (const auto& [name, blend] : blends)
        {
            std::fill(row.begin(), row.end(), 0);
            ASSERT_EQ(blend(source.data(), under.data(), row.data(), kPairs), kPairs) << name;
            for (std::uint32_t k = 0; k < kPairs; ++k)
            {
                const std::uint8_t expected = PlainBlend(k & 255, k >> 8, a);
                ASSERT_EQ(row[k], MakeRgb(expected, expected,
                                          PlainBlend(255 - (k & 255), 255 - (k >> 8), a)))
                    << name << ": " << k << " " << a;
            }
        }
    }
}

} // namespace
