#include "AppTestSupport.h"

#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"

#include <QImage>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

// Runs again at device pixel ratios of 1.5 and 2 (QT_SCALE_FACTOR), where
// every image pixel must still cover an exact block of device pixels.
namespace
{
constexpr QRgb kBlack = 0xFF000000;

struct Shot
{
    QImage image;
    double ratio = 1;
    QPoint origin; // the picture's top-left device pixel in the image
    int zoom = 1;  // device pixels per image pixel
    int cell = 32; // checker cell side in device pixels
    QSize visible; // device pixels of the picture that the view shows
};

Shot TakeShot(CSpriteDlg& window)
{
    Shot shot;
    shot.image = window.grab().toImage();
    shot.ratio = shot.image.devicePixelRatio();
    CSheetView& view = window.SheetView();
    view.horizontalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(0);
    shot.image = window.grab().toImage();
    const QPoint viewport = view.viewport()->mapTo(&window, QPoint(0, 0));
    const int margin = int(std::lround(5 * shot.ratio));
    shot.origin = QPoint(int(std::lround(viewport.x() * shot.ratio)) + margin,
                         int(std::lround(viewport.y() * shot.ratio)) + margin);
    shot.zoom = view.DeviceZoom();
    shot.cell = int(std::lround(32 * shot.ratio));
    const QSize area = (QSizeF(view.viewport()->size()) * shot.ratio).toSize();
    const CSpriteImage* display = window.Document().Display();
    const QSize picture =
        display ? QSize(display->GetWidth(), display->GetHeight()) : QSize(256, 288);
    shot.visible = (picture * shot.zoom).boundedTo(area - QSize(margin, margin));
    return shot;
}

QRgb Seen(const Shot& shot, int x, int y)
{
    return shot.image.pixel(shot.origin.x() + x, shot.origin.y() + y) | kBlack;
}

// Every device pixel the view shows of the sheet (row >= 0) or the bare
// checkerboard (row < 0), and the outline just outside it.
::testing::AssertionResult ShowsPicture(const Shot& shot, int row)
{
    for (int y = 0; y < shot.visible.height(); ++y)
        for (int x = 0; x < shot.visible.width(); ++x)
        {
            const int index = row < 0 ? 0 : SheetIndex(x / shot.zoom, y / shot.zoom);
            const QRgb expected = index != 0 ? SheetColor(row * 16 + index)
                                  : (x / shot.cell + y / shot.cell) % 2 == 0 ? 0xFFC0C0C0
                                                                             : 0xFFFFFFFF;
            if (Seen(shot, x, y) != expected)
                return ::testing::AssertionFailure()
                       << QString::asprintf("device pixel (%d, %d) shows %08x instead of %08x", x,
                                            y, Seen(shot, x, y), expected)
                              .toStdString();
        }
    for (int x = -1; x < shot.visible.width(); ++x)
        if (Seen(shot, x, -1) != kBlack)
            return ::testing::AssertionFailure() << "no outline above column " << x;
    for (int y = -1; y < shot.visible.height(); ++y)
        if (Seen(shot, -1, y) != kBlack)
            return ::testing::AssertionFailure() << "no outline left of row " << y;
    return ::testing::AssertionSuccess();
}

TEST(Painting, EveryImagePixelIsAnExactBlockInsideAnOutlineAtEveryZoom)
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
    window.show();
    EXPECT_TRUE(ShowsPicture(TakeShot(window), -1));

    prompts.answers.push_back(WriteFile(dir.filePath("sheet.spr"), SprBytes({})));
    window.OnFileOpen();
    // The picture starts 5 pixels into the view, which starts below the menu.
    EXPECT_EQ(window.SheetView().viewport()->mapTo(&window, QPoint(5, 5)),
              QPoint(5, 5 + window.MenuBar().height()));
    const std::pair<int, const char*> cases[] = {
        {1, "Portrait #3"}, {3, "Sprite #1"}, {8, "Sprite #2"}, {1, "Sprite #1"}};
    for (const auto& [zoom, row] : cases)
    {
        window.SheetView().SetZoom(zoom);
        window.PaletteSelector().setCurrentIndex(window.PaletteSelector().findText(row));
        window.OnSelchangePalette();
        const Shot shot = TakeShot(window);
        EXPECT_TRUE(ShowsPicture(shot, window.PaletteSelector().currentIndex())) << zoom << row;
        if (shot.visible == QSize(256, 288) * shot.zoom)
        {
            // The outline closes on the far side too.
            for (int x = -1; x <= shot.visible.width(); ++x)
                EXPECT_EQ(Seen(shot, x, shot.visible.height()), kBlack) << x;
            for (int y = -1; y <= shot.visible.height(); ++y)
                EXPECT_EQ(Seen(shot, shot.visible.width(), y), kBlack) << y;
        }
        else
            EXPECT_NE(zoom * shot.ratio, 1) << "at actual size on a plain screen all shows";
    }
}

} // namespace
