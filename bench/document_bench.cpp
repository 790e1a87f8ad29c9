// SPDX-License-Identifier: GPL-3.0-or-later
// The document's history: undoing and redoing an Import (the whole picture
// traded back) and a one-pixel change from an image editor, with the memory
// each step holds.

#include "BenchFolder.h"
#include "document/SpriteDocument.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{

// A document whose newest step is the given command's.
void OpenWithStep(const BenchFolder& folder, CSpriteDocument& document, bool onePixel)
{
    if (!document.Open(folder.Path("sheet.spr")).result)
        std::abort();
    const std::string png = folder.Path("edit.png");
    CSpriteImage picture;
    if (!document.WriteForEditing(png) || !LoadPngFile(png.c_str(), picture))
        std::abort();
    if (onePixel)
    {
        picture.GetPixels()[1000] ^= 1;
        if (!SavePngFile(picture, png.c_str(), PngWriteOptions{}) ||
            !document.BringBackEdited(png))
            std::abort();
    }
    else if (!document.Import(png))
        std::abort();
}

void UndoRedo(benchmark::State& state, bool onePixel)
{
    const BenchFolder folder;
    folder.WriteSheet(RandomSheetBytes(1));
    CSpriteDocument document;
    OpenWithStep(folder, document, onePixel);
    for (auto _ : state)
    {
        document.Undo();
        document.Redo();
        benchmark::DoNotOptimize(document.Display());
    }
    // Each iteration is an undo and a redo.
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["step_bytes"] = double(document.History().Bytes());
}

void BM_UndoRedoImport(benchmark::State& state)
{
    UndoRedo(state, false);
}
BENCHMARK(BM_UndoRedoImport)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoOnePixel(benchmark::State& state)
{
    UndoRedo(state, true);
}
BENCHMARK(BM_UndoRedoOnePixel)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
