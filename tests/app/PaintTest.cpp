// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include <QImage>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolBar>

#include <algorithm>
#include <cmath>

// Runs again at device pixel ratios of 1.25, 1.5 and 2 (QT_SCALE_FACTOR),
// where every image pixel must still cover an exact block of device pixels.
namespace
{
constexpr QRgb kBlack = 0xFF000000;

// Every device pixel the view shows of the sheet in the selector's row (the
// bare checkerboard without a sheet), and the outline around it.
::testing::AssertionResult ShowsPicture(CSpriteDlg& window)
{
    CSheetView& view = window.SheetView();
    view.horizontalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(0);
    const QImage shot = view.viewport()->grab().toImage();
    const int margin = int(std::lround(5 * shot.devicePixelRatio()));
    const int cell = int(std::lround(32 * shot.devicePixelRatio()));
    const int zoom = view.DeviceZoom();
    const int row = window.Document().HasSheet() ? window.PaletteSelector().currentIndex() : -1;
    // The far side of the outline where the view shows it.
    const QSize end =
        (QSize(256, 288) * zoom).boundedTo(shot.size() - QSize(margin + 1, margin + 1));
    for (int y = -1; y <= end.height(); ++y)
        for (int x = -1; x <= end.width(); ++x)
        {
            const int index = row < 0 ? 0 : SheetIndex(x / zoom, y / zoom);
            QRgb expected = index != 0                       ? SheetColor(row * 16 + index)
                            : (x / cell + y / cell) % 2 == 0 ? 0xFFC0C0C0
                                                             : 0xFFFFFFFF;
            if (x < 0 || y < 0 || x == 256 * zoom || y == 288 * zoom)
                expected = kBlack;
            const QRgb seen = shot.pixel(margin + x, margin + y) | kBlack;
            if (seen != expected)
                return ::testing::AssertionFailure()
                       << QString::asprintf("device pixel (%d, %d) shows %08x instead of %08x", x,
                                            y, seen, expected)
                              .toStdString();
        }
    return ::testing::AssertionSuccess();
}

using Painting = WindowTest;

TEST_F(Painting, EveryImagePixelIsAnExactBlockInsideAnOutlineAtEveryZoom)
{
    window.show();
    EXPECT_TRUE(ShowsPicture(window));
    Open("sheet.spr", SprBytes({}));
    // The picture starts 5 pixels into the view, which starts below the menu
    // and beside the tool bar, and shows the whole sheet at actual size.
    QWidget& viewport = *window.SheetView().viewport();
    EXPECT_EQ(viewport.mapTo(&window, QPoint(5, 5)),
              QPoint(5 + window.ToolBox().ToolBar().width(), 5 + window.MenuBar().height()));
    EXPECT_TRUE(viewport.rect().contains(QRect(4, 4, 258, 290)));
    const std::pair<int, const char*> cases[] = {
        {1, "Portrait #3"}, {3, "Sprite #1"}, {8, "Sprite #2"}, {1, "Sprite #1"}};
    for (const auto& [zoom, row] : cases)
    {
        window.SheetView().SetZoom(zoom);
        window.PaletteSelector().setCurrentIndex(window.PaletteSelector().findText(row));
        window.OnSelchangePalette();
        EXPECT_TRUE(ShowsPicture(window)) << zoom << row;
    }
}

} // namespace
