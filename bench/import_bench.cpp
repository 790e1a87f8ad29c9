#include "image/SpriteImage.h"
#include "io/BinaryFile.h"
#include "tests/core/BmpFiles.h"

#include <IL/il.h>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// A 256 x 288 sheet at 8 bits with 256 colours, stored as the export writes it.
std::vector<std::uint8_t> SheetBmp()
{
    std::vector<ColorEntry> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 3), 255});
    std::vector<std::vector<std::uint32_t>> rows(288, std::vector<std::uint32_t>(256));
    for (std::uint32_t y = 0; y < rows.size(); ++y)
        for (std::uint32_t x = 0; x < rows[y].size(); ++x)
            rows[y][x] = (x * 7 + y) % 16 + 16 * (y / 18);
    BmpPicture sheet;
    sheet.width = 256;
    sheet.height = 288;
    sheet.palette = StoredPalette(colours);
    sheet.pixels = StoredRows(rows, 8);
    return BuildBmp(sheet);
}

// The whole import: one block read from a stream, the check, DevIL's session
// and decoding, palette and pixel copy.
void BM_ImportSheet(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes = SheetBmp();
    for (auto _ : state) {
        CBinaryFile file;
        file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1);
        CSpriteImage image;
        if (!image.ReadBMP(file))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(image.GetPixels());
    }
}
BENCHMARK(BM_ImportSheet);

// DevIL alone: its session around ilLoadL, on the same bytes.
void BM_DevilSessionOnly(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = SheetBmp();
    for (auto _ : state) {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        ILuint name = 0;
        ilGenImages(1, &name);
        ilBindImage(name);
        if (!ilLoadL(IL_BMP, bytes.data(), ILuint(bytes.size())))
            state.SkipWithError("DevIL failed");
        ilDeleteImages(1, &name);
        ilShutDown();
    }
}
BENCHMARK(BM_DevilSessionOnly);

// ilLoadL alone, DevIL started once.
void BM_DevilLoadOnly(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = SheetBmp();
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    for (auto _ : state)
        if (!ilLoadL(IL_BMP, bytes.data(), ILuint(bytes.size())))
            state.SkipWithError("DevIL failed");
    ilDeleteImages(1, &name);
    ilShutDown();
}
BENCHMARK(BM_DevilLoadOnly);

} // namespace
