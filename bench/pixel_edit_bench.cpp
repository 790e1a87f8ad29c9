// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing on the sheet as the window does it: a pencil step at 8x on a
// full-HD view (the document draws and announces its rectangle, the view
// recomposes that rectangle alone, then paints it), beside a repaint of the
// whole view as the yardstick; and a fill of the whole sheet, one step.

#include "app/DocumentSignals.h"
#include "BenchFolder.h"
#include "app/SheetView.h"
#include "document/SpriteDocument.h"
#include "document/ToolStroke.h"
#include "formats/SpriteFile.h"

#include <QCoreApplication>
#include <QScrollBar>

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
constexpr int kMargin = 5; // the view's room around the picture

// A sheet of random pixels, or of index 0, opened from a file of its own.
struct BenchSheet
{
    explicit BenchSheet(bool random)
    {
        std::vector<char> bytes = RandomSheetBytes(3);
        if (!random)
            std::fill(bytes.begin() + kSprPaletteBytes, bytes.end(), 0);
        if (!document.Open(folder.WriteSheet(bytes)).result)
            std::abort();
    }

    BenchFolder folder;
    CSpriteDocument document;
};

// A full-HD view of the document at 8x, following its pixel changes.
class BenchView
{
public:
    explicit BenchView(CSpriteDocument& document) : m_signals(document)
    {
        view.resize(kViewWidth, kViewHeight);
        view.SetZoom(kViewZoom);
        view.SetPicture(document.Source(), document.Display(), document.PaletteRow());
        view.horizontalScrollBar()->setValue(0);
        view.verticalScrollBar()->setValue(0);
        QObject::connect(&m_signals, &CDocumentSignals::PixelsChanged, &view,
                         [this](const QRect& area) { view.PixelsChanged(area); });
        view.show();
        view.viewport()->repaint();
        QCoreApplication::processEvents();
    }

    // The viewport's rectangle of a picture pixel at the top-left scroll.
    static QRect PixelOnView(int x, int y)
    {
        return QRect(kMargin + x * kViewZoom, kMargin + y * kViewZoom, kViewZoom, kViewZoom);
    }

    CSheetView view;

private:
    CDocumentSignals m_signals;
};

// Back and forth between two pixels, so that every step draws one.
void BM_PencilStep_View8x(benchmark::State& state)
{
    BenchSheet sheet(true);
    BenchView bench(sheet.document);
    CToolStroke stroke(sheet.document, PixelTool::Pencil, 15, {100, 60}, {});
    int step = 0;
    for (auto _ : state)
    {
        const SheetPoint at{100 + step % 2, 60};
        stroke.Move(at, {});
        // The paint the view asked for, now rather than at the next frame.
        bench.view.viewport()->repaint(BenchView::PixelOnView(at.x, at.y).adjusted(-3, -3, 3, 3));
        ++step;
    }
    stroke.Release({100, 60}, {});
}

// The same pixel with the whole view composed and painted again.
void BM_WholeViewRepaint_View8x(benchmark::State& state)
{
    BenchSheet sheet(true);
    BenchView bench(sheet.document);
    for (auto _ : state)
    {
        bench.view.ColorsChanged();
        bench.view.viewport()->repaint();
    }
}

// A fill over a sheet of one index, alternating two, so that every fill
// changes all 73,728 pixels and records its step.
void BM_FillWholeSheet(benchmark::State& state)
{
    BenchSheet sheet(false);
    int index = 1;
    for (auto _ : state)
    {
        CToolStroke fill(sheet.document, PixelTool::Fill, index, {128, 144}, {});
        fill.Release({128, 144}, {});
        index = 3 - index;
    }
}

} // namespace

BENCHMARK(BM_PencilStep_View8x)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeViewRepaint_View8x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillWholeSheet)->Unit(benchmark::kMicrosecond);
