#include "image/ColorTable.h"
#include "render/PixelSpans.h"
#include "render/Surface.h"
#include "render/WideSpans.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint8_t PlainBlend(std::uint32_t d, std::uint32_t s, std::uint32_t a)
{
    return std::uint8_t((d * (255 - a) + s * a) / 255);
}

// Each way a row of one depth can be drawn: the one in use and every wide
// path this processor can run. A wide path draws a prefix; the test checks
// that prefix and how long it is.
template <typename Draw>
struct Path
{
    std::string name;
    Draw draw;
};

using Draw32 = std::int32_t (*)(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t);
using Draw24 = Draw32;
using Draw8 = std::int32_t (*)(const std::uint8_t*, const PaletteTable&, const std::uint32_t*,
                               std::uint32_t*, std::int32_t);

std::vector<Path<Draw32>> Paths32()
{
    std::vector<Path<Draw32>> paths = {
        {"in use", [](const std::uint8_t* s, const std::uint32_t* u, std::uint32_t* d, std::int32_t n) {
             DrawSpan32(s, u, d, n);
             return n;
         }},
        {"sse2", DrawWide32Sse2}};
    if (HasAvx2())
        paths.push_back({"avx2", DrawWide32Avx2});
    return paths;
}

std::vector<Path<Draw24>> Paths24()
{
    std::vector<Path<Draw24>> paths = {{"sse2", DrawWide24Sse2}};
    if (HasAvx2())
        paths.push_back({"avx2", DrawWide24Avx2});
    return paths;
}

std::vector<Path<Draw8>> Paths8()
{
    std::vector<Path<Draw8>> paths = {{"sse2", DrawWide8Sse2}};
    if (HasAvx2())
        paths.push_back({"avx2", DrawWide8Avx2});
    return paths;
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
            ASSERT_EQ(BlendChannel(d, s, std::uint8_t(a)), PlainBlend(d, s, a)) << +d << " " << +s << " " << a;
        }
        for (const auto& path : Paths32())
        {
            std::fill(row.begin(), row.end(), 0);
            ASSERT_EQ(path.draw(source.data(), under.data(), row.data(), kPairs), kPairs) << path.name;
            for (std::uint32_t k = 0; k < kPairs; ++k)
            {
                const std::uint32_t s = k >> 8;
                const std::uint32_t d = k & 255;
                const std::uint8_t expected = PlainBlend(d, s, a);
                ASSERT_EQ(row[k], MakeRgb(expected, expected, PlainBlend(255 - d, 255 - s, a)))
                    << path.name << ": " << d << " " << s << " " << a;
            }
        }
    }
}

// Random rows with the key planted in them, drawn by each wide path and
// compared with the plain meaning of the pixels. The paths read whole
// groups of bytes, so each must stop before a group would run off the row.
TEST(RenderSpan, WidePathsMatchThePixelsMeaning)
{
    std::mt19937 random(7);
    constexpr std::int32_t kWidth = 61;
    std::vector<std::uint8_t> bytes(4 * kWidth);
    std::vector<std::uint32_t> under(kWidth);
    for (auto& b : bytes)
        b = std::uint8_t(random());
    for (auto& u : under)
        u = random() | 0xFF000000u;
    const std::uint8_t key[3] = {255, 0, 255};
    for (std::int32_t i = 0; i < kWidth; i += 5)
        std::copy_n(key, 3, &bytes[std::size_t(3 * i)]); // keys as 24-bit pixels
    for (std::int32_t i = 2; i < kWidth; i += 5)
        std::copy_n(key, 3, &bytes[std::size_t(4 * i)]); // and as 32-bit ones
    CColorTable table;
    table.SetSize(200);
    for (std::int32_t i = 0; i < 200; ++i)
        table.SetAt(i, std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(i % 3 == 0 ? 255 : 0), 0);
    table.SetAt(3, 255, 0, 255, 255);
    const PaletteTable palette = MakePaletteTable(table);

    for (std::int32_t count = 0; count <= kWidth; ++count)
    {
        // Each path reads only count pixels' bytes: the rest of the buffer is left out.
        const std::vector<std::uint8_t> rgb(bytes.begin(), bytes.begin() + 3 * count);
        const std::vector<std::uint8_t> rgba(bytes.begin(), bytes.begin() + 4 * count);
        const std::vector<std::uint8_t> indices(bytes.begin(), bytes.begin() + count);
        for (const auto& path : Paths24())
        {
            std::vector<std::uint32_t> row(kWidth + 1, 0);
            const std::int32_t drawn = path.draw(rgb.data(), under.data(), row.data(), count);
            ASSERT_LE(drawn, count);
            ASSERT_GE(drawn, count - 10) << path.name;
            for (std::int32_t i = 0; i < drawn; ++i)
            {
                const std::uint8_t* p = &rgb[std::size_t(3 * i)];
                ASSERT_EQ(row[std::size_t(i)], p[0] == 255 && p[1] == 0 && p[2] == 255 ? under[std::size_t(i)]
                                                                                         : MakeRgb(p[0], p[1], p[2]))
                    << path.name << " pixel " << i;
            }
            ASSERT_EQ(row[std::size_t(drawn)], 0u) << path.name;
        }
        for (const auto& path : Paths8())
        {
            std::vector<std::uint32_t> row(kWidth + 1, 0);
            const std::int32_t drawn = path.draw(indices.data(), palette, under.data(), row.data(), count);
            ASSERT_LE(drawn, count);
            ASSERT_GE(drawn, count - 7) << path.name;
            for (std::int32_t i = 0; i < drawn; ++i)
            {
                const std::uint8_t index = indices[std::size_t(i)];
                const bool drawable = index != 0 && index != 3 && index < 200;
                ASSERT_EQ(row[std::size_t(i)], drawable ? MakeRgb(table.GetAt(index)->red, table.GetAt(index)->green,
                                                                  table.GetAt(index)->blue)
                                                        : under[std::size_t(i)])
                    << path.name << " pixel " << i << " index " << +index;
            }
        }
        for (const auto& path : Paths32())
        {
            std::vector<std::uint32_t> row(kWidth + 1, 0);
            const std::int32_t drawn = path.draw(rgba.data(), under.data(), row.data(), count);
            ASSERT_GE(drawn, count - 7) << path.name;
            for (std::int32_t i = 0; i < drawn; ++i)
            {
                const std::uint8_t* p = &rgba[std::size_t(4 * i)];
                const std::uint32_t u = under[std::size_t(i)];
                const std::uint32_t expected =
                    p[0] == 255 && p[1] == 0 && p[2] == 255
                        ? u
                        : MakeRgb(PlainBlend(u >> 16 & 255, p[0], p[3]), PlainBlend(u >> 8 & 255, p[1], p[3]),
                                  PlainBlend(u & 255, p[2], p[3]));
                ASSERT_EQ(row[std::size_t(i)], expected) << path.name << " pixel " << i;
            }
            ASSERT_EQ(row[std::size_t(drawn)], 0u) << path.name;
        }
    }
}

} // namespace
