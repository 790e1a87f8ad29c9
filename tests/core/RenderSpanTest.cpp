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

using Draw32 = std::int32_t (*)(const std::uint8_t*, const std::uint32_t*, std::uint32_t*,
                                std::int32_t);

// The 32-bit row drawing in use, and each wide blend this processor can run.
std::vector<std::pair<const char*, Draw32>> Blends()
{
    std::vector<std::pair<const char*, Draw32>> blends = {
        {"in use",
         [](const std::uint8_t* s, const std::uint32_t* u, std::uint32_t* d, std::int32_t n)
         {
             DrawSpan32(s, u, d, n);
             return n;
         }},
        {"sse2", DrawWide32Sse2}};
    if (HasAvx2())
        blends.emplace_back("avx2", DrawWide32Avx2);
    return blends;
}

// Every (surface, source, alpha) triple, through the single-channel blend and
// through whole rows of 32-bit pixels. Red and green see (d, s), blue sees
// (255 - d, 255 - s), so swapped channels show; no source pixel is the key.
TEST(RenderSpan, EveryBlendTripleMatchesThePlainFormula)
{
    constexpr std::int32_t kPairs = 256 * 256;
    std::vector<std::uint8_t> source(4 * kPairs);
    std::vector<std::uint32_t> under(kPairs);
    std::vector<std::uint32_t> row(kPairs);
    for (std::uint32_t a = 0; a < 256; ++a)
    {
        for (std::uint32_t k = 0; k < kPairs; ++k)
        {
            const std::uint8_t s = std::uint8_t(k >> 8);
            const std::uint8_t d = std::uint8_t(k);
            source[4 * k + 0] = s;
            source[4 * k + 1] = s;
            source[4 * k + 2] = std::uint8_t(255 - s);
            source[4 * k + 3] = std::uint8_t(a);
            under[k] = MakeRgb(d, d, std::uint8_t(255 - d));
            ASSERT_EQ(BlendChannel(d, s, std::uint8_t(a)), PlainBlend(d, s, a))
                << +d << " " << +s << " " << a;
        }
        for (const auto& [name, blend] : Blends())
        {
            std::fill(row.begin(), row.end(), 0);
            ASSERT_EQ(blend(source.data(), under.data(), row.data(), kPairs), kPairs) << name;
            for (std::uint32_t k = 0; k < kPairs; ++k)
            {
                const std::uint32_t s = k >> 8;
                const std::uint32_t d = k & 255;
                const std::uint8_t expected = PlainBlend(d, s, a);
                ASSERT_EQ(row[k], MakeRgb(expected, expected, PlainBlend(255 - d, 255 - s, a)))
                    << name << ": " << d << " " << s << " " << a;
            }
        }
    }
}

} // namespace
