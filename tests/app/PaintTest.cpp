#include "AppTestSupport.h"

#include "app/SpriteDlg.h"

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs a second time at a device pixel ratio of 2 (QT_SCALE_FACTOR=2), where
// every picture pixel must cover whole device pixels of one colour.
namespace
{
// What picture pixel (x, y) shows with the given palette row, or with no
// sheet when row is negative: the frame's black outline over the first and
// past the last row and column, the sheet, and the checkerboard behind it.
QRgb Expected(int x, int y, int row)
{
    if (x % 256 == 0 || y % 288 == 0)
        return 0xFF000000;
    const int index = row < 0 ? 0 : SheetIndex(x, y);
    if (index != 0)
        return SheetColor(row * 16 + index);
    return (x / 32 + y / 32) % 2 == 0 ? 0xFFC0C0C0 : 0xFFFFFFFF;
}

// Every device pixel of the picture in the window's grab is as expected.
::testing::AssertionResult ShowsPicture(CSpriteDlg& window, int row)
{
    const QImage shot = window.grab().toImage();
    const int ratio = qRound(shot.devicePixelRatio());
    const QPoint origin = window.PictureFrame().mapTo(&window, QPoint(0, 0));
    if (window.PictureFrame().geometry() != QRect(5, 5, 257, 289))
        return ::testing::AssertionFailure() << "the frame moved";
    for (int y = 0; y <= 288; ++y)
        for (int x = 0; x <= 256; ++x)
            for (int d = 0; d < ratio * ratio; ++d)
            {
                const QRgb seen = shot.pixel((origin.x() + x) * ratio + d % ratio,
                                             (origin.y() + y) * ratio + d / ratio) |
                                  0xFF000000;
                if (seen != Expected(x, y, row))
                    return ::testing::AssertionFailure()
                           << QString::asprintf("(%d, %d) shows %08x instead of %08x", x, y, seen,
                                                Expected(x, y, row))
                                  .toStdString();
            }
    return ::testing::AssertionSuccess();
}

TEST(Painting, CheckerboardAloneThenTheSheetInTheChosenRow)
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
    EXPECT_TRUE(ShowsPicture(window, -1));

    prompts.answers.push_back(WriteFile(dir.filePath("sheet.spr"), SprBytes({})));
    window.OnFileOpen();
    for (const char* row : {"Portrait #3", "Sprite #1"})
    {
        window.PaletteSelector().setCurrentIndex(window.PaletteSelector().findText(row));
        window.OnSelchangePalette();
        EXPECT_TRUE(ShowsPicture(window, window.PaletteSelector().currentIndex())) << row;
    }
}
} // namespace
