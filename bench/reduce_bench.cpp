// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/Colorways.h"
#include "reduce/ReduceColors.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

constexpr int kSheetWidth = 256;
constexpr int kSheetHeight = 288;
constexpr int kTileWidth = 64;
constexpr int kTileHeight = 48;

std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    return x ^ (x >> 16);
}

// A sheet of 24 rendered sprites as a truecolour editor leaves them: four
// lit, grainy ellipsoids per 64 x 48 tile, with soft edges of partial
// alpha. With `hues` 4, one figure in 24 frames: its four parts keep their
// colour in every tile, and the sheet has some 9000 colours, as real unit
// sprites of its size have. With more, every part has a hue of its own.
CSpriteImage RenderedSheet(int hues)
{
    CSpriteImage sheet;
    sheet.Create(kSheetWidth, kSheetHeight, 32);
    std::uint8_t* pixels = sheet.GetPixels();
    std::fill(pixels, pixels + sheet.GetPixelBytes(), 0);
    for (int tile = 0; tile < 24; ++tile)
        for (int part = 0; part < 4; ++part)
        {
            const std::uint32_t seed = Hash(std::uint32_t(tile * 4 + part + 1));
            const std::uint32_t color = Hash(std::uint32_t((tile * 4 + part) % hues + 101));
            const float cx = float(tile % 4 * kTileWidth + 16 + int(seed % 32));
            const float cy = float(tile / 4 * kTileHeight + 12 + int(seed / 32 % 24));
            const float rx = float(8 + seed / 1024 % 10), ry = float(7 + seed / 16384 % 8);
            const float hue[3] = {float(color >> 8 & 0xFF), float(color >> 16 & 0xFF),
                                  float(color >> 24 & 0xFF)};
            for (int y = int(cy - ry - 1); y <= int(cy + ry + 1); ++y)
                for (int x = int(cx - rx - 1); x <= int(cx + rx + 1); ++x)
                {
                    const float dx = (float(x) - cx) / rx, dy = (float(y) - cy) / ry;
                    const float d = std::sqrt(dx * dx + dy * dy);
                    if (d > 1 || x < 0 || y < 0 || x >= kSheetWidth || y >= kSheetHeight)
                        continue;
                    // Lit from the top left, with a grain of noise.
                    const float light =
                        0.35f + 0.65f * std::max(0.0f, 1 - d * 0.8f - (dx + dy) * 0.3f);
                    const float grain = float(Hash(std::uint32_t(y * kSheetWidth + x)) % 17) - 8;
                    std::uint8_t* pixel = pixels + 4 * (y * kSheetWidth + x);
                    for (int c = 0; c < 3; ++c)
                        pixel[c] = std::uint8_t(std::clamp(hue[c] * light + grain, 0.0f, 255.0f));
                    pixel[3] = std::uint8_t(d > 0.9f ? (1 - d) * 2550 : 255);
                }
        }
    return sheet;
}

constexpr int kFigureHues = 4;
constexpr int kManyHues = 96;

void Reduce(benchmark::State& state, int hues, Dithering dithering)
{
    const CSpriteImage sheet = RenderedSheet(hues);
    ReduceOptions options;
    options.dithering = dithering;
    for (auto _ : state)
    {
        ReducedPicture reduced;
        if (!ReduceColors(sheet, PaletteRow{}, options, reduced))
            state.SkipWithError("reduction failed");
        benchmark::DoNotOptimize(reduced.picture.GetPixels());
    }
}

// A 256 x 288 rendered sheet to 15 new colours.
void BM_ReduceSheet(benchmark::State& state)
{
    Reduce(state, kFigureHues, Dithering::None);
}
BENCHMARK(BM_ReduceSheet)->Unit(benchmark::kMillisecond);

void BM_ReduceSheetOrdered(benchmark::State& state)
{
    Reduce(state, kFigureHues, Dithering::Ordered);
}
BENCHMARK(BM_ReduceSheetOrdered)->Unit(benchmark::kMillisecond);

void BM_ReduceSheetDiffused(benchmark::State& state)
{
    Reduce(state, kFigureHues, Dithering::Diffusion);
}
BENCHMARK(BM_ReduceSheetDiffused)->Unit(benchmark::kMillisecond);

// A harder sheet: 96 hues, nearly every pixel a colour of its own.
void BM_ReduceSheetOfManyHues(benchmark::State& state)
{
    Reduce(state, kManyHues, Dithering::None);
}
BENCHMARK(BM_ReduceSheetOfManyHues)->Unit(benchmark::kMillisecond);

// The same sheet onto a fixed row.
void BM_ReduceSheetOntoFixedRow(benchmark::State& state)
{
    const CSpriteImage sheet = RenderedSheet(kFigureHues);
    ReducedPicture chosen;
    ReduceColors(sheet, PaletteRow{}, ReduceOptions{}, chosen);
    ReduceOptions options;
    options.target = ReduceTarget::FixedColors;
    for (auto _ : state)
    {
        ReducedPicture reduced;
        if (!ReduceColors(sheet, chosen.row, options, reduced))
            state.SkipWithError("reduction failed");
        benchmark::DoNotOptimize(reduced.picture.GetPixels());
    }
}
BENCHMARK(BM_ReduceSheetOntoFixedRow)->Unit(benchmark::kMillisecond);

// Eight colourways of a 256 x 288 sheet of 15 classes into one sheet and
// eight rows.
void BM_EightColorways(benchmark::State& state)
{
    const CSpriteImage shapes = RenderedSheet(kFigureHues);
    std::vector<CSpriteImage> pictures(8);
    std::vector<const CSpriteImage*> pointers;
    for (int n = 0; n < 8; ++n)
    {
        CSpriteImage& picture = pictures[std::size_t(n)];
        picture.Create(kSheetWidth, kSheetHeight, 32);
        for (int i = 0; i < kSheetWidth * kSheetHeight; ++i)
        {
            const std::uint8_t* shape = shapes.GetPixels() + 4 * i;
            const int shade = (shape[0] + shape[1] + shape[2]) / 52; // 0-14
            const ColorEntry color = ColorWordToEntry(std::uint16_t(
                (shade * 2 + n * 5) % 32 | (shade + n) % 32 << 5 | (31 - shade - n) << 10));
            std::uint8_t* pixel = picture.GetPixels() + 4 * i;
            pixel[0] = color.red, pixel[1] = color.green, pixel[2] = color.blue;
            pixel[3] = shape[3] < kDefaultAlphaThreshold ? 0 : 255;
        }
        pointers.push_back(&picture);
    }
    const std::vector<PaletteRow> rows(8);
    for (auto _ : state)
    {
        ColorwaySheet sheet;
        if (!BuildColorways(pointers, rows, kDefaultAlphaThreshold, sheet))
            state.SkipWithError("colourways failed");
        benchmark::DoNotOptimize(sheet.sheet.GetPixels());
    }
}
BENCHMARK(BM_EightColorways)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
