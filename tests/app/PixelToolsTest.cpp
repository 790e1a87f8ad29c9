// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"
#include "../core/SpriteFileTestFiles.h"

#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <memory>
#include <QToolBar>

namespace
{
class PixelTools : public WindowTest
{
protected:
    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        Open("sheet.spr", SprBytes({}));
    }

    QWidget& Viewport() { return *window.SheetView().viewport(); }
    int Pixel(int x, int y) { return window.Document().Source()->GetPixels()[y * 256 + x]; }
    // The viewport position of the centre of picture pixel (x, y).
    QPointF At(int x, int y)
    {
        const CSheetView& view = window.SheetView();
        const double ratio = Viewport().devicePixelRatio();
        const double zoom = view.DeviceZoom();
        return QPointF(
            (std::lround(5 * ratio) + (x + 0.5) * zoom - view.horizontalScrollBar()->value()) /
                ratio,
            (std::lround(5 * ratio) + (y + 0.5) * zoom - view.verticalScrollBar()->value()) /
                ratio);
    }
    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QMouseEvent event(type, at, Viewport().mapToGlobal(at), button, held, keys);
        QApplication::sendEvent(&Viewport(), &event);
    }
    // Pressed at the first pixel, moved through the others, released at the last.
    void Drag(std::vector<QPoint> pixels, Qt::MouseButton button = Qt::LeftButton,
              Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        Mouse(QEvent::MouseButtonPress, At(pixels[0].x(), pixels[0].y()), button, button, keys);
        for (const QPoint& pixel : pixels)
            Mouse(QEvent::MouseMove, At(pixel.x(), pixel.y()), Qt::NoButton, button, keys);
        Mouse(QEvent::MouseButtonRelease, At(pixels.back().x(), pixels.back().y()), button,
              Qt::NoButton, keys);
    }
    // A right-click also opens the swatch's menu, which is closed unused.
    void ClickSwatch(int entry, Qt::MouseButton button)
    {
        auto menu = std::make_shared<bool>(false);
        if (button == Qt::RightButton)
            QTimer::singleShot(0,
                               [menu]
                               {
                                   if (QWidget* popup = QApplication::activePopupWidget())
                                   {
                                       *menu = true;
                                       popup->close();
                                   }
                               });
        const int side = window.PalettePanel().sizeHint().width() / 16;
        QTest::mouseClick(&window.PalettePanel(), button, Qt::NoModifier,
                          QPoint(entry % 16 * side + 1, entry / 16 * side + 1));
        EXPECT_EQ(*menu, button == Qt::RightButton);
        // The offscreen platform leaves no window active after a popup.
        QApplication::setActiveWindow(&window);
    }
    void Key(int key, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::keyClick(&window.SheetView(), Qt::Key(key), keys);
    }
    QString ToolStatus() { return window.ToolBox().StatusText(); }
};

// Pixels are drawn through the tool bar's tools at 8x with both buttons,
// every pixel under the pointer is told, and each step repaints its pixels.
TEST_F(PixelTools, ThePencilDrawsAtEightTimesWithEitherButtonsIndex)
{
    window.SheetView().SetZoom(8);
    window.SheetView().horizontalScrollBar()->setValue(0);
    window.SheetView().verticalScrollBar()->setValue(140 * window.SheetView().DeviceZoom());
    window.SheetView().setFocus();
    Key(Qt::Key_E);
    EXPECT_EQ(window.ToolBox().Tool(), PixelTool::Eraser);
    Key(Qt::Key_B);
    ClickSwatch(3, Qt::LeftButton);
    ClickSwatch(16 * 5 + 6, Qt::RightButton); // any row's swatch names an index
    EXPECT_EQ(ToolStatus(), "Pencil    left 3 #180080    right 6 #300080");

    Drag({{2, 150}, {6, 152}});
    EXPECT_EQ(window.StatusBar().currentMessage().left(22), "x 6, y 152    index 3 ");
    Drag({{10, 150}}, Qt::RightButton);
    for (const auto& [x, y, index] : {std::tuple{2, 150, 3},
                                      {3, 151, 3},
                                      {4, 151, 3},
                                      {5, 152, 3},
                                      {6, 152, 3},
                                      {10, 150, 6},
                                      {4, 150, 0}})
        EXPECT_EQ(Pixel(x, y), index) << x << ", " << y;
    EXPECT_EQ(window.Document().UndoKind(), EditKind::Pencil);

    // One more pixel repaints that pixel and the pointer's outline, not the view.
    QTest::qWait(100);
    int painted = 0;
    struct Filter : QObject
    {
        int* area;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                    *area += rect.width() * rect.height();
            return false;
        }
    } filter;
    filter.area = &painted;
    Viewport().installEventFilter(&filter);
    Drag({{20, 150}});
    QTest::qWait(100);
    EXPECT_EQ(Pixel(20, 150), 3);
    EXPECT_GT(painted, 0);
    EXPECT_LE(painted, 3 * 16 * 16);
    const QImage recomposedPart = Viewport().grab().toImage();
    window.SheetView().ColorsChanged();
    EXPECT_EQ(Viewport().grab().toImage(), recomposedPart) << "as a whole recomposition shows it";

    // Alt picks with any drawing tool; the middle button still pans.
    Key(Qt::Key_L);
    Drag({{40, 143}}, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(ToolStatus().left(21), "Line    left 2 #10008");
    const int scrolled = window.SheetView().horizontalScrollBar()->value();
    Mouse(QEvent::MouseButtonPress, At(30, 150), Qt::MiddleButton, Qt::MiddleButton);
    Mouse(QEvent::MouseMove, At(30, 150) - QPointF(40, 0), Qt::NoButton, Qt::MiddleButton);
    Mouse(QEvent::MouseButtonRelease, At(30, 150), Qt::MiddleButton, Qt::NoButton);
    EXPECT_GT(window.SheetView().horizontalScrollBar()->value(), scrolled);
    EXPECT_EQ(window.Document().UndoKind(), EditKind::Pencil) << "nothing drawn since";
}

// Copy and paste through the system clipboard, Enter and Escape in their
// order, and a picture from another program through the exact mapping.
TEST_F(PixelTools, TheClipboardCarriesSelectionsAndEscapeEndsAPasteThenTheSelection)
{
    window.SheetView().setFocus();
    Key(Qt::Key_M);
    Drag({{16, 0}, {31, 15}});
    EXPECT_TRUE(ToolStatus().endsWith("selection 16 \u00D7 16"));
    Key(Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasFormat("image/png"));

    // Pasted where nothing is selected: at the top-left of what is shown;
    // moved by an arrow, placed with Enter.
    Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(window.Document().IsFloatingPaste());
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Return);
    EXPECT_FALSE(window.Document().IsFloating());
    EXPECT_EQ(Pixel(0, 8), 1);
    EXPECT_EQ(Pixel(15, 23), 1);
    EXPECT_EQ(Pixel(16, 8), 1) << "the sheet's own";
    EXPECT_EQ(window.Document().UndoKind(), EditKind::Paste);
    EXPECT_TRUE(window.isVisible());

    // Escape drops a paste, then ends the selection, and never ends the window.
    prompts.saveChoice = SaveChoice::Cancel;
    Drag({{0, 150}, {7, 157}});
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Pixel(3, 153), 1);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Pixel(3, 153), 0);
    EXPECT_EQ(window.Document().Selection(), (SheetRect{0, 150, 8, 8}));
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window.Document().Selection());
    EXPECT_TRUE(prompts.questions.isEmpty());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(window.isVisible());

    // Another program's picture: its colours are those of the shown row, or it is refused.
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, SheetColor(9));
    picture.setPixel(1, 0, SheetColor(4));
    auto* data = new QMimeData;
    data->setImageData(picture);
    QApplication::clipboard()->setMimeData(data);
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Return);
    EXPECT_EQ(Pixel(0, 0), 9);
    EXPECT_EQ(Pixel(1, 0), 4);
    picture.setPixel(1, 0, qRgb(1, 2, 3));
    data = new QMimeData;
    data->setImageData(picture);
    QApplication::clipboard()->setMimeData(data);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(prompts.messages, QStringList{"Paste: Error: Could not paste the picture."});
    EXPECT_TRUE(prompts.informative.last().startsWith(
        "Colour #010203 at pixel (1, 0) is in none of the palette's entries.\n"));
}

TEST_F(PixelTools, OnATrueColourPictureTheToolsAreOffAndSayWhy)
{
    WriteTrueColourBmp(QFile::encodeName(Path("rgb.bmp")).toStdString(), 3, 2);
    Run(Path("rgb.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_FALSE(window.ToolBox().ToolBar().isEnabled());
    EXPECT_EQ(ToolStatus(),
              "Drawing tools are off: a 24-bit picture has no palette indices to draw with.");
    Drag({{0, 0}, {2, 1}});
    EXPECT_EQ(window.Document().UndoKind(), EditKind::Import);
}

} // namespace
