// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, saving and exporting (BMP, PNG) one sprite sheet whose file sits
// in the page cache, in a folder under TMPDIR. Saves go through the safe
// replacement, which flushes to the disk, so they measure the disk as much
// as the code; the Write* cases leave out the file system by writing to /dev/null.

#include "BenchFolder.h"
#include "document/SpriteDocument.h"
#include "formats/PngFile.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr std::int32_t kTrailingBytes = 2624;

// A folder with one random SPR sheet, kept for the whole run.
class SheetFolder : public BenchFolder
{
public:
    SheetFolder() : m_sheet(WriteSheet(RandomSheetBytes(1, kTrailingBytes))) {}
    const std::string& SheetPath() const { return m_sheet; }

private:
    std::string m_sheet;
};

const SheetFolder& Folder()
{
    static const SheetFolder folder;
    return folder;
}

struct Sheet
{
    CSpriteDocument document;
    const CSpriteImage& image;
    const CTrailingBlock& trailing;
    Sheet() : image(Open(document)), trailing(document.TrailingBlock()) {}

    static const CSpriteImage& Open(CSpriteDocument& document)
    {
        if (!document.Open(Folder().SheetPath()).result)
            std::abort();
        return *document.Source();
    }
};

// The whole Open command: sheet and trailing block.
void OpenSpr(benchmark::State& state)
{
    const std::string path = Folder().SheetPath();
    for (auto _ : state)
    {
        CSpriteDocument document;
        benchmark::DoNotOptimize(document.Open(path).result.Ok());
    }
}

void SaveSpr(benchmark::State& state)
{
    Sheet sheet;
    const std::string path = Folder().Path("saved.spr");
    for (auto _ : state)
    {
        if (!sheet.document.SaveAs(path))
            state.SkipWithError("save failed");
    }
}

void ExportBmp(benchmark::State& state)
{
    const Sheet sheet;
    const std::string path = Folder().Path("export.bmp");
    for (auto _ : state)
    {
        if (!sheet.document.Export(path))
            state.SkipWithError("export failed");
    }
}

void WriteSprToStream(benchmark::State& state)
{
    const Sheet sheet;
    CBinaryFile sink;
    sink.Open("/dev/null", "wb", 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            WriteSpriteSheet(sink, sheet.image, SpriteLayout::Spr, &sheet.trailing).Ok());
}

void WriteBmpToStream(benchmark::State& state)
{
    const Sheet sheet;
    CBinaryFile sink;
    sink.Open("/dev/null", "wb", 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(sheet.image.WriteBMP(sink));
}

void ExportPng(benchmark::State& state)
{
    const Sheet sheet;
    const std::string path = Folder().Path("export.png");
    for (auto _ : state)
    {
        if (!SavePngFile(sheet.image, path.c_str(), {}))
            state.SkipWithError("export failed");
    }
}

// The whole 8-bit table, or (argument 1) palette row 1 as a 4-bit PNG.
void WritePngToStream(benchmark::State& state)
{
    const Sheet sheet;
    const PngWriteOptions options{state.range(0) == 0 ? kPngWholeTable : 1, false};
    CBinaryFile sink;
    sink.Open("/dev/null", "wb", 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(WritePng(sink, sheet.image, options));
}

void ImportPng(benchmark::State& state)
{
    const Sheet sheet;
    const std::string path = Folder().Path("import.png");
    if (!SavePngFile(sheet.image, path.c_str(), {}))
        std::abort();
    for (auto _ : state)
    {
        CSpriteImage image;
        benchmark::DoNotOptimize(LoadPngFile(path.c_str(), image));
    }
}

constexpr int kRepetitions = 10;

} // namespace

BENCHMARK(OpenSpr)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(SaveSpr)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(ExportBmp)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(WriteSprToStream)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(WriteBmpToStream)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

BENCHMARK(ExportPng)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(WritePngToStream)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);
BENCHMARK(ImportPng)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
