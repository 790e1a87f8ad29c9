#include "AppTestSupport.h"

#include "app/SpriteDlg.h"

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs a second time at a device pixel ratio of 2 (QT_SCALE_FACTOR=2).
namespace
{
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kLightGrey = 0xFFC0C0C0;
constexpr QRgb kWhite = 0xFFFFFFFF;

QRgb Checker(int x, int y)
{
    return (x / 32 + y / 32) % 2 == 0 ? kLightGrey : kWhite;
}

class Painting : public ::testing::Test
{
protected:
    // The window as drawn, and where the picture's top-left pixel lies in it.
    void Grab()
    {
        shot = window.grab().toImage();
        ratio = qRound(shot.devicePixelRatio());
        origin = window.PictureFrame().mapTo(&window, QPoint(0, 0));
    }

    // Every device pixel of the picture pixel (x, y) is the colour.
    ::testing::AssertionResult Shows(int x, int y, QRgb color) const
    {
        for (int dy = 0; dy < ratio; ++dy)
            for (int dx = 0; dx < ratio; ++dx)
            {
                const QRgb seen =
                    shot.pixel((origin.x() + x) * ratio + dx, (origin.y() + y) * ratio + dy) |
                    0xFF000000;
                if (seen != color)
                    return ::testing::AssertionFailure()
                           << "(" << x << ", " << y << ") shows " << std::hex << seen
                           << " instead of " << color;
            }
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
    QImage shot;
    int ratio = 1;
    QPoint origin;
};

TEST_F(Painting, EmptyWindowShowsTheBareCheckerboardInItsFrame)
{
    Grab();
    EXPECT_EQ(window.PictureFrame().geometry(), QRect(5, 5, 257, 289));
    EXPECT_TRUE(Shows(1, 1, kLightGrey));
    EXPECT_TRUE(Shows(32, 1, kWhite));
    EXPECT_TRUE(Shows(255, 287, Checker(255, 287)));
    EXPECT_TRUE(Shows(256, 100, kBlack));
    EXPECT_TRUE(Shows(100, 288, kBlack));
}

TEST_F(Painting, SheetIsDrawnOverTheCheckerboardInTheChosenRow)
{
    prompts.answers.push_back(WriteFile(dir.filePath("sheet.spr"), SprBytes()));
    window.OnFileOpen();
    for (int row : {0, 10})
    {
        window.PaletteSelector().setCurrentIndex(row);
        window.OnSelchangePalette();
        Grab();
        EXPECT_EQ(window.PictureFrame().geometry(), QRect(5, 5, 257, 289));
        // The outline lies over the first row and column and on the margin.
        for (const QPoint& edge : {QPoint(0, 0), QPoint(0, 200), QPoint(120, 0), QPoint(256, 50),
                                   QPoint(50, 288), QPoint(256, 288)})
            EXPECT_TRUE(Shows(edge.x(), edge.y(), kBlack));
        for (const QPoint& pixel : {QPoint(1, 1), QPoint(20, 10), QPoint(100, 143), QPoint(255, 1),
                                    QPoint(40, 144), QPoint(200, 287)})
        {
            const int index = SheetIndex(pixel.x(), pixel.y());
            EXPECT_TRUE(
                Shows(pixel.x(), pixel.y(),
                      index == 0 ? Checker(pixel.x(), pixel.y()) : SheetColor(row * 16 + index)));
        }
    }
}
} // namespace
