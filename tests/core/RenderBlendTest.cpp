#include "render/PixelSpans.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::uint8_t PlainBlend(std::uint32_t d, std::uint32_t s, std::uint32_t a)
{
    return std::uint8_t((d * (255 - a) + s * a) / 255);
}

// Every (surface, source, alpha) triple, through the single-channel blend and
// through a whole row of 32-bit pixels. Red and green see (d, s), blue sees
// (255 - d, 255 - s), so swapped channels show; no source pixel is the key.
TEST(RenderBlend, EveryTripleMatchesThePlainFormula)
{
    constexpr std::int32_t kPairs = 256 * 256;
    std::vector<std::uint8_t> source(4 * kPairs);
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
            row[k] = MakeRgb(d, d, std::uint8_t(255 - d));
        }
        DrawSpan32(source.data(), row.data(), row.data(), kPairs);
        for (std::uint32_t k = 0; k < kPairs; ++k)
        {
            const std::uint32_t s = k >> 8;
            const std::uint32_t d = k & 255;
            const std::uint8_t expected = PlainBlend(d, s, a);
            ASSERT_EQ(BlendChannel(std::uint8_t(d), std::uint8_t(s), std::uint8_t(a)), expected)
                << d << " " << s << " " << a;
            ASSERT_EQ(row[k], MakeRgb(expected, expected, PlainBlend(255 - d, 255 - s, a)))
                << d << " " << s << " " << a;
        }
    }
}

// Rows of every length up to a few wide steps, at every start, so that the
// wide path and the pixel-by-pixel tail agree and neither writes past the row.
TEST(RenderBlend, ShortRowsStayInsideTheRow)
{
    constexpr std::uint32_t kGuard = 0x12345678;
    const std::uint8_t pixel[4] = {100, 50, 0, 128};
    for (std::int32_t count = 0; count <= 13; ++count)
    {
        std::vector<std::uint8_t> source(4 * std::size_t(count) + 4);
        for (std::int32_t i = 0; i < count; ++i)
            std::copy(pixel, pixel + 4, source.begin() + 4 * i);
        std::vector<std::uint32_t> row(std::size_t(count) + 2, MakeRgb(192, 192, 192));
        row.front() = kGuard;
        row.back() = kGuard;
        DrawSpan32(source.data(), row.data() + 1, row.data() + 1, count);
        EXPECT_EQ(row.front(), kGuard);
        EXPECT_EQ(row.back(), kGuard) << count;
        for (std::int32_t i = 1; i <= count; ++i)
            EXPECT_EQ(row[std::size_t(i)], MakeRgb(145, 120, 95)) << count;
    }
}

} // namespace
