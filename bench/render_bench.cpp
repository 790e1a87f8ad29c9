// SPDX-License-Identifier: GPL-3.0-or-later
// Composing the picture the window shows, ours against Qt's raster engine
// doing the same visible work: an image of the picture's size, the
// checkerboard as rectangle fills, then the picture drawn over it as a
// non-premultiplied ARGB32 image with SourceOver. Pairs differ only by "Qt".

#include "app/InspectorText.h"
#include "app/SheetView.h"
#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"
#include "render/ComposeHelper.h"
#include "render/PixelInspect.h"
#include "render/Render.h"
#include "render/ZoomCompose.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStatusBar>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

namespace
{

constexpr std::int32_t kSheetWidth = 256;
constexpr std::int32_t kSheetHeight = 288;
constexpr std::int32_t kLargeSide = 4096;

// A sprite sheet: 4-bit indices, about half of them the transparent 0, over
// a table of 256 colours as the sprite readers make it.
CSpriteImage MakeSheet()
{
    std::mt19937 random(1);
    CSpriteImage image;
    image.Create(kSheetWidth, kSheetHeight, 8);
    for (std::int32_t i = 0; i < image.GetPixelBytes(); ++i)
        image.GetPixels()[i] = random() % 2 == 0 ? 0 : std::uint8_t(random() % 16);
    image.m_colorTable.SetSize(256);
    for (std::int32_t i = 0; i < 256; ++i)
        image.m_colorTable.SetAt(i, std::uint8_t(random() & 0xF8), std::uint8_t(random() & 0xF8),
                                 std::uint8_t(random() & 0xF8), 255);
    return image;
}

CSpriteImage MakeRandomPicture(std::int32_t bitsPerPixel)
{
    std::mt19937 random(2);
    CSpriteImage image;
    image.Create(kLargeSide, kLargeSide, bitsPerPixel);
    for (std::int32_t i = 0; i < image.GetPixelBytes(); ++i)
        image.GetPixels()[i] = std::uint8_t(random());
    return image;
}

// The picture as Qt draws it: what the key hides has alpha 0.
QRgb QtColor(const CSpriteImage& image, std::int64_t pixel)
{
    const std::uint8_t* p = image.GetPixels() + pixel * (image.GetBitsPerPixel() / 8);
    if (image.GetBitsPerPixel() == 8)
    {
        if (*p == 0)
            return 0;
        const ColorEntry& e = *image.m_colorTable.GetAt(*p);
        return qRgba(e.red, e.green, e.blue, 255);
    }
    if (p[0] == 255 && p[1] == 0 && p[2] == 255)
        return 0;
    return qRgba(p[0], p[1], p[2], image.GetBitsPerPixel() == 32 ? p[3] : 255);
}

QImage ToQtImage(const CSpriteImage& image)
{
    QImage qtImage(image.GetWidth(), image.GetHeight(), QImage::Format_ARGB32);
    for (std::int32_t y = 0; y < image.GetHeight(); ++y)
    {
        auto* line = reinterpret_cast<QRgb*>(qtImage.scanLine(y));
        for (std::int32_t x = 0; x < image.GetWidth(); ++x)
            line[x] = QtColor(image, std::int64_t(y) * image.GetWidth() + x);
    }
    return qtImage;
}

void QtCheckerboard(QPainter& painter, std::int32_t width, std::int32_t height)
{
    const QColor light(192, 192, 192);
    const QColor dark(255, 255, 255);
    for (std::int32_t i = 0, y = 0; y < height; ++i, y += kCheckerCell)
        for (std::int32_t j = 0, x = 0; x < width; ++j, x += kCheckerCell)
            painter.fillRect(x, y, kCheckerCell, kCheckerCell, (i + j) % 2 == 0 ? light : dark);
}

// Both sides draw into a target kept from one picture to the next, as a
// window repainting the same picture does: the cost of fresh pages from the
// system is the same for both and not the compositor's.
void RunCompose(benchmark::State& state, const CSpriteImage& image)
{
    CSurface surface;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ComposePicture(&image, surface));
        benchmark::DoNotOptimize(surface.GetBits());
        benchmark::ClobberMemory();
    }
}

void RunQtCompose(benchmark::State& state, const CSpriteImage& image)
{
    const QImage picture = ToQtImage(image);
    QImage target(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32);
    for (auto _ : state)
    {
        {
            QPainter painter(&target);
            QtCheckerboard(painter, image.GetWidth() + 1, image.GetHeight() + 1);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(0, 0, picture);
        }
        benchmark::DoNotOptimize(target.constBits());
        benchmark::ClobberMemory();
    }
}

const CSpriteImage& Sheet()
{
    static const CSpriteImage image = MakeSheet();
    return image;
}

const CSpriteImage& Argb4096()
{
    static const CSpriteImage image = MakeRandomPicture(32);
    return image;
}

const CSpriteImage& Rgb4096()
{
    static const CSpriteImage image = MakeRandomPicture(24);
    return image;
}

void BM_Compose_Sheet(benchmark::State& state)
{
    RunCompose(state, Sheet());
}
void BM_QtCompose_Sheet(benchmark::State& state)
{
    RunQtCompose(state, Sheet());
}
void BM_Compose_Argb4096(benchmark::State& state)
{
    RunCompose(state, Argb4096());
}
void BM_QtCompose_Argb4096(benchmark::State& state)
{
    RunQtCompose(state, Argb4096());
}
void BM_Compose_Rgb4096(benchmark::State& state)
{
    RunCompose(state, Rgb4096());
}
void BM_QtCompose_Rgb4096(benchmark::State& state)
{
    RunQtCompose(state, Rgb4096());
}

// The window's view at full HD: the visible part only, composed at the
// view's zoom, against Qt drawing the same checkerboard and the picture
// scaled (or clipped) into the same viewport.
constexpr std::int32_t kViewWidth = 1920;
constexpr std::int32_t kViewHeight = 1080;
constexpr std::int32_t kViewZoom = 8;

void RunComposeView(benchmark::State& state, const CSpriteImage& image, std::int32_t zoom)
{
    ZoomedView view;
    view.zoom = zoom;
    view.area = {0, 0, kViewWidth, kViewHeight};
    CSurface surface;
    CComposeHelper helper;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(ComposeZoomed(&image, view, surface, &helper));
        benchmark::DoNotOptimize(surface.GetBits());
        benchmark::ClobberMemory();
    }
}

void RunQtComposeView(benchmark::State& state, const CSpriteImage& image, std::int32_t zoom)
{
    // Qt's best case: the picture converted once to its fastest format.
    const QImage picture = ToQtImage(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRectF source(0, 0, double(kViewWidth) / zoom, double(kViewHeight) / zoom);
    QImage target(kViewWidth, kViewHeight, QImage::Format_RGB32);
    for (auto _ : state)
    {
        {
            QPainter painter(&target);
            // Without smoothing the painter scales as Qt::FastTransformation does.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            QtCheckerboard(painter, kViewWidth, kViewHeight);
            painter.drawImage(QRectF(0, 0, kViewWidth, kViewHeight), picture, source);
        }
        benchmark::DoNotOptimize(target.constBits());
        benchmark::ClobberMemory();
    }
}

void BM_ComposeZoom_Viewport(benchmark::State& state)
{
    RunComposeView(state, Sheet(), kViewZoom);
}
void BM_QtComposeZoom_Viewport(benchmark::State& state)
{
    RunQtComposeView(state, Sheet(), kViewZoom);
}
void BM_ComposeView_Argb4096(benchmark::State& state)
{
    RunComposeView(state, Argb4096(), 1);
}
void BM_QtComposeView_Argb4096(benchmark::State& state)
{
    RunQtComposeView(state, Argb4096(), 1);
}

// A palette row chosen while the view shows a full-HD viewport at 8x: the
// display table changes, the view recomposes and paints.
void BM_PaletteRowChange_View8x(benchmark::State& state)
{
    CSpriteImage source = Sheet();
    CSpriteImage display = source;
    CSheetView view;
    view.resize(kViewWidth, kViewHeight);
    view.SetZoom(kViewZoom);
    view.show();
    // Painting starts once the window is exposed.
    QCoreApplication::processEvents();
    std::int32_t row = 0;
    for (auto _ : state)
    {
        row = (row + 1) % 16;
        ApplyPaletteRow(source, display, row);
        view.SetPicture(&source, &display, row);
        view.viewport()->repaint();
    }
}

// The pointer moved to another pixel: the inspector's line is built and
// put in the status bar.
void BM_InspectorUpdate(benchmark::State& state)
{
    const CSpriteImage& sheet = Sheet();
    QStatusBar status;
    status.show();
    std::int32_t x = 0;
    for (auto _ : state)
    {
        x = (x + 1) % kSheetWidth;
        status.showMessage(PixelText(InspectPixel(&sheet, &sheet, 3, x, 100), x, 100, 3));
    }
}

} // namespace

BENCHMARK(BM_ComposeZoom_Viewport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtComposeZoom_Viewport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeView_Argb4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtComposeView_Argb4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaletteRowChange_View8x)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InspectorUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Compose_Sheet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtCompose_Sheet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Compose_Argb4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtCompose_Argb4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose_Rgb4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QtCompose_Rgb4096)->Unit(benchmark::kMillisecond);
