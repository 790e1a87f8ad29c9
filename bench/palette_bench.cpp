// SPDX-License-Identifier: GPL-3.0-or-later
// Palette editing as the user waits on it: a colour previewed in the editor
// while the sheet view shows a full-HD viewport at 8x (the document's change,
// its notification, the view's recomposition and paint), View > All Rows
// recomposed after a colour change, and Swap Indices with its pixels.

#include "BenchFolder.h"
#include "app/AllRowsView.h"
#include "app/DocumentSignals.h"
#include "app/SheetView.h"
#include "document/SpriteDocument.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kViewZoom = 8;

// A document on a random SPR sheet: every index in use, in every row.
struct BenchSheet
{
    BenchSheet()
    {
        if (!document.Open(folder.WriteSheet(RandomSheetBytes(1))).result)
            std::abort();
    }

    BenchFolder folder;
    CSpriteDocument document;
};

// Two colours to go back and forth between.
ColorEntry Alternate(int iteration)
{
    return iteration % 2 == 0 ? ColorEntry{248, 0, 248, 255} : ColorEntry{0, 248, 0, 255};
}

void BM_ColorPreview_View8x(benchmark::State& state)
{
    BenchSheet sheet;
    CDocumentSignals told(sheet.document);
    CSheetView view;
    view.SetPicture(sheet.document.Source(), sheet.document.Display(), 0);
    QObject::connect(&told, &CDocumentSignals::ColorsChanged, &view,
                     [&view] { view.ColorsChanged(); });
    view.resize(kViewWidth, kViewHeight);
    view.SetZoom(kViewZoom);
    view.show();
    QCoreApplication::processEvents();
    int iteration = 0;
    for (auto _ : state)
    {
        sheet.document.PreviewColor(5, Alternate(++iteration));
        view.viewport()->repaint();
    }
    sheet.document.FinishColorPreview(false);
}

// All Rows at full HD after a colour of one row changed (its thumbnail
// alone is composed again) and after a change in every row (all sixteen).
void RunAllRows(benchmark::State& state, bool everyRow)
{
    BenchSheet sheet;
    CDocumentSignals told(sheet.document);
    CAllRowsView rows;
    rows.SetPicture(sheet.document.Source(), 0);
    QObject::connect(&told, &CDocumentSignals::ColorsChanged, &rows,
                     [&rows](int first, int last) { rows.ColorsChanged(first, last); });
    rows.resize(kViewWidth, kViewHeight);
    rows.show();
    QCoreApplication::processEvents();
    int iteration = 0;
    for (auto _ : state)
    {
        if (everyRow)
            sheet.document.SwapIndices(3, 9, IndexSwap::ColorsOnly);
        else
            sheet.document.PreviewColor(37, Alternate(++iteration));
        rows.repaint();
    }
    state.counters["divisor"] = rows.Divisor();
    state.counters["columns"] = rows.Columns();
}

void BM_AllRows_OneColor(benchmark::State& state)
{
    RunAllRows(state, false);
}

void BM_AllRows_EveryRow(benchmark::State& state)
{
    RunAllRows(state, true);
}

void BM_SwapIndicesWithPixels(benchmark::State& state)
{
    BenchSheet sheet;
    for (auto _ : state)
        sheet.document.SwapIndices(3, 9, IndexSwap::ColorsAndPixels);
}

} // namespace

// The CPU time counts the view's helper thread too.
BENCHMARK(BM_ColorPreview_View8x)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_AllRows_OneColor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_AllRows_EveryRow)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_SwapIndicesWithPixels)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
