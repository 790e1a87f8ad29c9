// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <IL/il.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

// A 256 x 288 sheet at 8 bits with 256 colours, as the export writes it.
std::vector<std::uint8_t> SheetBmp()
{
    CSpriteImage sheet;
    sheet.Create(256, 288, 8);
    sheet.m_colorTable.SetSize(256);
    for (int i = 0; i < 256; ++i)
        sheet.SetColor(i, std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 3), 255);
    for (std::int32_t i = 0; i < sheet.GetPixelBytes(); ++i)
        sheet.GetPixels()[i] = std::uint8_t((i * 7) % 16 + 16 * (i / 256 / 18));
    char* data = nullptr;
    std::size_t size = 0;
    {
        CBinaryFile file;
        file.Attach(open_memstream(&data, &size), 1);
        sheet.WriteBMP(file);
    }
    std::vector<std::uint8_t> bytes(data, data + size);
    std::free(data);
    return bytes;
}

// The whole import: one block read from a stream, the check, DevIL's session
// and decoding, palette and pixel copy.
void BM_ImportSheet(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes = SheetBmp();
    for (auto _ : state)
    {
        CBinaryFile file;
        file.Attach(fmemopen(bytes.data(), bytes.size(), "rb"), 1);
        CSpriteImage image;
        if (!image.ReadBMP(file))
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(image.GetPixels());
    }
}
BENCHMARK(BM_ImportSheet);

// DevIL's session as every import makes it: started, one image bound.
ILuint StartDevil()
{
    ilInit();
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    return name;
}

void StopDevil(ILuint name)
{
    ilDeleteImages(1, &name);
    ilShutDown();
}

// DevIL alone: its session around ilLoadL, on the same bytes.
void BM_DevilSessionOnly(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = SheetBmp();
    for (auto _ : state)
    {
        const ILuint name = StartDevil();
        if (!ilLoadL(IL_BMP, bytes.data(), ILuint(bytes.size())))
            state.SkipWithError("DevIL failed");
        StopDevil(name);
    }
}
BENCHMARK(BM_DevilSessionOnly);

// ilLoadL alone, DevIL started once.
void BM_DevilLoadOnly(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = SheetBmp();
    const ILuint name = StartDevil();
    for (auto _ : state)
        if (!ilLoadL(IL_BMP, bytes.data(), ILuint(bytes.size())))
            state.SkipWithError("DevIL failed");
    StopDevil(name);
}
BENCHMARK(BM_DevilLoadOnly);

// The least any import can do: one block read from a stream, DevIL's session
// around ilLoadL, one block copy out; no checks, no palette, no zeroing, and
// both buffers made once, outside the loop.
void BM_ReadLoadCopyOnly(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = SheetBmp();
    std::vector<std::uint8_t> block(bytes.size());
    std::vector<std::uint8_t> pixels(256 * 288);
    for (auto _ : state)
    {
        CBinaryFile file;
        file.Attach(fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb"), 1);
        if (!file.ReadBlock(block.data(), block.size()))
            state.SkipWithError("read failed");
        const ILuint name = StartDevil();
        if (!ilLoadL(IL_BMP, block.data(), ILuint(block.size())))
            state.SkipWithError("DevIL failed");
        std::memcpy(pixels.data(), ilGetData(), pixels.size());
        benchmark::DoNotOptimize(pixels.data());
        StopDevil(name);
    }
}
BENCHMARK(BM_ReadLoadCopyOnly);

} // namespace
