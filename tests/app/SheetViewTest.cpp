// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"
#include "../core/SpriteFileTestFiles.h"

#include "render/ZoomCompose.h"
#include "res/Resource.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace
{
void MoveTo(QWidget& widget, QPointF at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

// How many pixels the paints of the widget it filters covered.
struct PaintedArea : QObject
{
    int area = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                area += rect.width() * rect.height();
        return false;
    }
};

class SheetWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        Open("sheet.spr", SprBytes({}));
    }

    QWidget& Viewport() { return *window.SheetView().viewport(); }
    std::string Status() { return window.StatusBar().currentMessage().toStdString(); }
};

TEST_F(SheetWindow, TheInspectorTellsWhatThePixelUnderThePointerHolds)
{
    ChooseRow(2);
    window.OnSelchangePalette();
    QTest::qWait(100);
    PaintedArea painted;
    Viewport().installEventFilter(&painted);
    // At 1x the picture's top-left pixel is at (5, 5) of the viewport.
    const std::pair<QPointF, std::string> cases[] = {
        {{5, 5}, "x 0, y 0    index 0    row 2, entry 32    0x4080  #002080    transparent"},
        {{45.5, 15}, "x 40, y 10    index 2    row 2, entry 34    0x4082  #102080"},
        {{4, 5}, ""},
    };
    for (const auto& [at, text] : cases)
    {
        MoveTo(Viewport(), at);
        EXPECT_EQ(Status(), text) << at.x() << ", " << at.y();
    }
    QTest::qWait(100);
    EXPECT_GT(painted.area, 0) << "the outline follows the pointer";
    EXPECT_LE(painted.area, 3 * 8 * 8) << "moving the pointer repainted more than its outlines";
}

TEST_F(SheetWindow, PalettePanelAndSelectorChooseTheSameRow)
{
    CPalettePanel& panel = window.PalettePanel();
    const int side = panel.sizeHint().width() / 16;
    QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(3 * side + 1, 5 * side + 1));
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 5);
    ChooseRow(9);
    window.PaletteSelector().activated(9);
    EXPECT_EQ(panel.ChosenRow(), 9);
    QTest::keyClick(&panel, Qt::Key_Down);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 10);

    // Hovering a swatch names its entry, counts its pixels (index 3 fills
    // columns 48-63 of the top 144 rows) and outlines them in the view.
    MoveTo(panel, QPointF(3 * side + 1, 10 * side + 1));
    EXPECT_EQ(Status(), "entry 163 (row 10, index 3)    0x4283  #18A080    2304 pixels");
    const QImage shot = Viewport().grab().toImage();
    EXPECT_EQ(shot.pixel(5 + 48, 5) | 0xFF000000, kHighlightColor);
    EXPECT_NE(shot.pixel(5 + 47, 5) | 0xFF000000, kHighlightColor);

    // A 24-bit picture has no palette rows: both are disabled.
    WriteTrueColourBmp(QFile::encodeName(Path("rgb.bmp")).toStdString(), 3, 2);
    Run(Path("rgb.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_FALSE(window.PaletteSelector().isEnabled());
    EXPECT_FALSE(panel.isEnabled());
}

TEST_F(SheetWindow, CtrlWheelZoomsAboutThePointerAndKeepsItsPixel)
{
    CSheetView& view = window.SheetView();
    view.SetZoom(4);
    const QPointF at(120, 90);
    const std::optional<QPoint> before = view.ImagePixelAt(at);
    ASSERT_TRUE(before);
    for (int expected : {6, 8, 12})
    {
        QWheelEvent wheel(at, Viewport().mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&Viewport(), &wheel);
        EXPECT_EQ(view.Zoom(), expected);
        EXPECT_EQ(view.ImagePixelAt(at), before) << expected;
    }
    window.OnCommand(ID_VIEW_ACTUAL_SIZE);
    EXPECT_EQ(view.Zoom(), 1);
    window.OnCommand(ID_VIEW_ZOOM_OUT); // no further than actual size
    EXPECT_EQ(view.Zoom(), 1);
    window.OnCommand(ID_VIEW_ZOOM_IN);
    EXPECT_EQ(view.Zoom(), 2);
}

TEST_F(SheetWindow, ViewSettingsComeBackInTheNextWindow)
{
    window.resize(window.size() + QSize(300, 200));
    window.SheetView().SetZoom(3);
    prompts.colorAnswer = QColor(10, 20, 30);
    window.OnCommand(ID_VIEW_BACKGROUND_COLOR);
    prompts.colorAnswer = QColor(); // cancelled: the colour stays
    window.OnCommand(ID_VIEW_BACKGROUND_COLOR);
    prompts.tileAnswer = QSize(24, 12);
    window.OnCommand(ID_VIEW_TILE_CUSTOM);
    window.OnCommand(ID_VIEW_PIXEL_GRID);
    const QSize size = window.size();
    window.OnFileExit();

    CSpriteDlg next{prompts};
    EXPECT_EQ(next.size(), size);
    EXPECT_EQ(next.SheetView().Zoom(), 3);
    QStringList checked;
    for (QAction* action : next.MenuBar().findChildren<QAction*>())
        if (action->isChecked())
            checked << action->text();
    EXPECT_EQ(checked.join(','),
              "&Pencil,&Transparent Index 0,&Solid Colour...,Pixel &Grid,&Custom...");
    // The solid colour shows where the sheet is transparent.
    const QImage shot = next.SheetView().viewport()->grab().toImage();
    EXPECT_EQ(shot.pixel(QPoint(6, 6) * shot.devicePixelRatio()) | 0xFF000000, qRgb(10, 20, 30));
}
} // namespace
