// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"
#include "../core/SpriteFileTestFiles.h"

#include "res/Resource.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

namespace
{
using Handler = void (CSpriteDlg::*)();

class SpriteWindow : public WindowTest
{
protected:
    int Row() { return window.PaletteSelector().currentIndex(); }
    QAction* CommandAction(int id)
    {
        for (QAction* action : window.MenuBar().findChildren<QAction*>())
            if (action->data().toInt() == id)
                return action;
        return nullptr;
    }
};

TEST_F(SpriteWindow, EachCommandAsksWithItsOwnChooserAndSaveAsksFirstWhenItWouldChangeThePicture)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ChooseRow(5);
    Open("sheet.spr", SprBytes("TAIL"));
    EXPECT_EQ(Row(), 0);
    // With a sheet from a file, every command is on but those of a history
    // that has no step yet, those of a selection, Reduce Colours, which has
    // no picture to fit, and Paste, which waits for a picture on the clipboard.
    const QVariant waiting[] = {ID_EDIT_UNDO,           ID_EDIT_REDO,          ID_EDIT_CUT,
                                ID_EDIT_COPY,           ID_EDIT_CLEAR,         ID_EDIT_DESELECT,
                                ID_EDIT_FLIP_HORIZONTAL, ID_EDIT_FLIP_VERTICAL, ID_EDIT_REDUCE_COLORS};
    for (QAction* command : window.MenuBar().findChildren<QAction*>())
    {
        const bool waits =
            std::find(std::begin(waiting), std::end(waiting), command->data()) != std::end(waiting);
        EXPECT_TRUE(command->data() == ID_EDIT_PASTE || command->isEnabled() != waits)
            << command->text().toStdString();
    }

    // Save after Open writes the file opened, without asking.
    QFile::remove(Path("sheet.spr"));
    window.OnFileSave();
    EXPECT_EQ(ReadFile(Path("sheet.spr")), SprBytes("TAIL"));

    // Import shows the picture's row.
    ChooseRow(11);
    Run(Path("sheet.bmp"), &CSpriteDlg::OnFileExport);
    Run(Path("sheet.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(Row(), 0);

    // An SP2 file's note shows over the new sheet, already repainted.
    PaintCounter counter;
    QCoreApplication::processEvents();
    window.SheetView().viewport()->installEventFilter(&counter);
    prompts.whileMessageShown = [&]
    {
        QCoreApplication::processEvents();
        EXPECT_GT(counter.paints, 0) << "the repaint comes before the note";
    };
    Open("grey.Sp2", SheetPixelBytes(256));
    EXPECT_EQ(std::exchange(prompts.messages, {}),
              QStringList{"(i) Loading Sprite: Note: .SP2 Files have no palette, any imported "
                          "images with a palette will not save the palette with the file."});
    EXPECT_EQ(prompts.informative, QStringList{"File: " + Path("grey.Sp2")});
    EXPECT_EQ(prompts.choosers,
              (std::vector<const FileChooser*>{&kOpenSpriteChooser, &kExportChooser,
                                               &kImportChooser, &kOpenSpriteChooser}));

    // Saved as SPR the SP2 sheet grows: the user is asked first, and Cancel writes nothing.
    for (const bool save : {false, true})
    {
        prompts.saveAnswer = save;
        Run(Path("out.spr"), &CSpriteDlg::OnFileSaveAs);
        EXPECT_EQ(prompts.questions.takeLast(), "Saving Sprite: Saving as SPR changes the picture: "
                                                "32 transparent rows are added to make 288. | "
                                                "File: " +
                                                    Path("out.spr"));
        EXPECT_EQ(QFile::exists(Path("out.spr")), save);
    }
}

TEST_F(SpriteWindow, FailuresAreReportedWithTheirCaptionAndWhatToDoNext)
{
    Open("sheet.spr", SprBytes("TAIL"));
    const std::tuple<QString, Handler, const char*> failures[] = {
        {Path("no/such/out.png"), &CSpriteDlg::OnFileExport,
         "Exporting Sprite: Could not export to PNG file."},
        {WriteFile(Path("junk.png"), "not a picture"), &CSpriteDlg::OnFileImport,
         "Import Image: Error: Could not load PNG file."},
        {Path("no/such/folder.spr"), &CSpriteDlg::OnFileSaveAs,
         "Saving Sprite: Error: Could not create sprite file."},
    };
    for (const auto& [answer, handler, message] : failures)
    {
        Run(answer, handler);
        EXPECT_EQ(std::exchange(prompts.messages, {}), QStringList{message});
    }
    EXPECT_EQ(prompts.informative.last(), "File: " + Path("no/such/folder.spr") +
                                              "\nNo such file or directory.\nThe folder does "
                                              "not exist: use Save As to choose another.");
    // A 24-bit picture cannot become a sheet file: the message says what to do instead.
    WriteTrueColourBmp(QFile::encodeName(Path("rgb.bmp")).toStdString(), 3, 2);
    Run(Path("rgb.bmp"), &CSpriteDlg::OnFileImport);
    Run(Path("sheet.spr"), &CSpriteDlg::OnFileSaveAs);
    EXPECT_TRUE(prompts.informative.last().endsWith(
        "\nConvert the picture to indexed colour (16 or 256 colours) in your editor and "
        "import it again."));
    prompts.messages.clear();

    // Cancelling Open says nothing; a failed Open leaves the selector where it was.
    ChooseRow(3);
    Run(QString(), &CSpriteDlg::OnFileOpen);
    Run(Path("missing.spr"), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(Row(), 3);
    EXPECT_EQ(prompts.messages, QStringList{"Sprite Image: Error: Could not load SPR file."});
}

// Undo and Redo name their step, and the view, the title and the commands
// follow them through the document alone.
TEST_F(SpriteWindow, UndoAndRedoNameTheStepAndEveryViewFollows)
{
    window.show();
    Open("sheet.spr", SprBytes("TAIL"));
    const auto shot = [&] { return window.SheetView().viewport()->grab().toImage(); };
    const QImage opened = shot();
    QAction* undo = CommandAction(ID_EDIT_UNDO);
    QAction* redo = CommandAction(ID_EDIT_REDO);

    // Colour 0x7C1F everywhere in the shown row.
    QByteArray words;
    for (int i = 0; i < 16; ++i)
        words.append("\x1F\x7C", 2);
    Run(WriteFile(Path("magenta.pal"), words), &CSpriteDlg::OnFileLoadPalette);
    const QImage loaded = shot();
    EXPECT_NE(loaded, opened);
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_EQ(undo->text(), "&Undo Load Palette");
    EXPECT_TRUE(undo->isEnabled() && !redo->isEnabled());

    undo->trigger();
    EXPECT_EQ(shot(), opened);
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(redo->text(), "&Redo Load Palette");
    EXPECT_EQ(undo->text(), "&Undo");
    EXPECT_TRUE(!undo->isEnabled() && redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(shot(), loaded);
    EXPECT_TRUE(window.isWindowModified());

    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y are the keys.
    EXPECT_EQ(undo->shortcuts(), QKeySequence::listFromString("Ctrl+Z"));
    EXPECT_EQ(redo->shortcuts(), QKeySequence::listFromString("Ctrl+Shift+Z; Ctrl+Y"));
    // Open starts a new history.
    Open("sheet.spr", SprBytes("TAIL"));
    EXPECT_FALSE(undo->isEnabled() || redo->isEnabled());
}

TEST_F(SpriteWindow, EmptyWindowHasItsMenuAndSelectorAndOffersOnlyTheAboutBox)
{
    EXPECT_EQ(window.focusWidget(), &window.PaletteSelector());
    window.show();
    // It opens at its smallest and grows from there.
    EXPECT_EQ(window.size(), window.minimumSize());
    EXPECT_GT(window.maximumSize().width(), window.minimumSize().width());

    // Every File and Help command but Open and Exit does nothing without a
    // sprite; those that need one are greyed. Mnemonics are unique in each menu.
    QStringList items;
    std::function<void(QWidget*, bool)> list = [&](QWidget* menu, bool trigger)
    {
        QString mnemonics;
        for (QAction* item : menu->actions())
        {
            const QString key = QKeySequence::mnemonic(item->text()).toString().toLower();
            EXPECT_TRUE(item->isSeparator() || (!key.isEmpty() && !mnemonics.contains(key)))
                << item->text().toStdString();
            mnemonics += key;
            // A separator shows as "=".
            items << item->text() + '=' + item->data().toString() + item->shortcut().toString() +
                         (item->isEnabled() ? "" : " off");
            if (item->menu())
                list(item->menu(), trigger && item->text() != "&View");
            else if (trigger && item->data().toInt() != ID_FILE_OPEN &&
                     item->data().toInt() != ID_FILE_EXIT)
                item->trigger();
        }
    };
    list(&window.MenuBar(), true);
    EXPECT_EQ(items.join(' '),
              "&File= &New...=57600Ctrl+N &Open...=57601Ctrl+O Open Recen&t= off Re&vert=32792 off = "
              "&Save=57603Ctrl+S off Save &As...=57604Ctrl+Shift+S off = &Import...=32773 off "
              "Import &Colourways...=32921 off &Export...=32774 off "
              "E&dit Externally=32793Ctrl+E off = &Load Palette...=32794 off "
              "Save &Palette...=32795 off = Pre&ferences...=32796 E&xit=32771Ctrl+Q "
              "&Edit= &Undo=57643Ctrl+Z off &Redo=57644Ctrl+Shift+Z off = Cu&t=57635Ctrl+X off "
              "&Copy=57634Ctrl+C off &Paste=57637Ctrl+V off &Delete=57632Del off = "
              "Select &All=57642Ctrl+A off D&eselect=32860Ctrl+Shift+A off = "
              "Flip &Horizontal=32861 off Flip &Vertical=32862 off = T&ools= "
              "&Pencil=32863B off &Eraser=32864E off &Line=32865L off &Rectangle=32866U off "
              "&Filled Rectangle=32867Shift+U off F&ill=32868G off Pic&ker=32869I off "
              "Rectangle &Select=32870M off = Pre&vious Index=32871[ off &Next Index=32872] off "
              "= &Transparent Index 0=32873 off Pa&lette= "
              "&Edit Colour...=32820 off &Copy Colour=32821 off &Paste Colour=32822 off = "
              "Copy &Row=32823 off Paste R&ow=32824 off &Swap Rows...=32825 off = "
              "Swap &Indices...=32826 off &Gradient...=32827 off Reduce Colour&s...=32920 off "
              "&View= Zoom &In=32780Ctrl++ Zoom &Out=32781Ctrl+- &Actual Size=32782Ctrl+0 "
              "Zoom to &Fit=32783Ctrl+9 All &Rows=32828 = &Background= &Checkerboard=32784 "
              "&Solid Colour...=32785 Pixel &Grid=32786 &Tile Grid= &None=32787 "
              "&8 \u00D7 8=32788 &16 \u00D7 16=32789 &32 \u00D7 32=32790 &Custom...=32791 "
              "&Help= &About...=32775");
    EXPECT_TRUE(prompts.choosers.empty());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.newSheetsAsked.size(), 1u) << "New asks even without a sheet";
    EXPECT_EQ(prompts.aboutBoxes, 1);
}

} // namespace
