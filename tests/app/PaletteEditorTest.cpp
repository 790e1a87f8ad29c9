// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "document/PaletteText.h"
#include "formats/PaletteFile.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace
{

class PaletteEditor : public WindowTest
{
protected:
    PaletteEditor()
    {
        window.show();
        Open("sheet.spr", SprBytes("TAIL"));
    }
    QImage Shot() { return window.SheetView().viewport()->grab().toImage(); }
    QAction* Action(int id)
    {
        for (QAction* action : window.MenuBar().findChildren<QAction*>())
            if (action->data().toInt() == id)
                return action;
        return nullptr;
    }
    QString UndoText() { return Action(ID_EDIT_UNDO)->text(); }
    ColorEntry Colour(int entry) { return *window.Document().Source()->GetColor(entry); }
    std::uint16_t Word(int entry) { return EntryToColorWord(Colour(entry)); }
    // The colour word Save As wrote for an entry.
    std::uint16_t SavedWord(int entry)
    {
        Run(Path("saved.spr"), &CSpriteDlg::OnFileSaveAs);
        const QByteArray bytes = ReadFile(Path("saved.spr"));
        return std::uint16_t(std::uint8_t(bytes[2 * entry]) | std::uint8_t(bytes[2 * entry + 1])
                                                                  << 8);
    }
    // Clicks the item of the context menu that opens on the panel.
    void ChooseFromMenu(const QString& item, const std::function<void()>& open)
    {
        QTimer::singleShot(0,
                           [item]
                           {
                               auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                               ASSERT_NE(menu, nullptr);
                               for (QAction* action : menu->actions())
                                   if (action->text() == item)
                                       action->trigger();
                               menu->close();
                           });
        open();
    }
};

// The sheet and All Rows show the colour as it is picked; OK makes one step
// that Save writes as exactly the word the editor showed.
TEST_F(PaletteEditor, TheEditorPreviewsLiveAndOkIsOneStepSavedAsTheWordShown)
{
    window.OnCommand(ID_VIEW_ALL_ROWS);
    const QImage opened = Shot();
    const QImage thumbnail = window.AllRows().Thumbnail(0);
    QString word;
    prompts.colorEditor = [&](CColorEditDlg& editor)
    {
        EXPECT_EQ(editor.Entry(), 1);
        editor.EnterHex("#FF80FF");
        EXPECT_EQ(editor.ShownText(), "#F880F8");
        EXPECT_EQ(editor.NoteText(), "#FF80FF became #F880F8 (5 bits a channel).");
        EXPECT_NE(Shot(), opened) << "the sheet shows the colour while it is picked";
        EXPECT_NE(window.AllRows().Thumbnail(0), thumbnail);
        EXPECT_FALSE(window.isWindowModified() || Action(ID_EDIT_UNDO)->isEnabled());
        editor.ChannelBox(1).setValue(3);
        word = editor.WordText();
        return true;
    };
    window.OnEditColor(1);
    EXPECT_EQ(word, "0x7C7F");
    EXPECT_EQ(UndoText(), "&Undo Edit Colour");
    EXPECT_EQ(SavedWord(1), 0x7C7F);

    // Cancel puts the colour back and makes no step.
    const QImage edited = Shot();
    prompts.colorEditor = [&](CColorEditDlg& editor)
    {
        editor.SetChannels(0, 31, 0);
        EXPECT_NE(Shot(), edited);
        editor.EnterHex("not a colour");
        EXPECT_EQ(editor.NoteText(), "Type a colour as #RRGGBB.");
        return false;
    };
    window.OnEditColor(1);
    EXPECT_EQ(Shot(), edited);
    EXPECT_FALSE(window.isWindowModified()) << "as saved";
    window.OnEditUndo();
    EXPECT_EQ(Shot(), opened);
}

// Arrows, Home and End move the keyboard's swatch; Enter edits it, Ctrl+C
// and Ctrl+V copy and paste its colour, Space lifts it and drops it on
// another (Ctrl+Space copies), the Menu key opens its context menu.
TEST_F(PaletteEditor, ThePanelAnswersTheKeyboard)
{
    CPalettePanel& panel = window.PalettePanel();
    panel.setFocus();
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Home, Qt::Key_Right, Qt::Key_Right,
                              Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(&panel, key);
    EXPECT_EQ(panel.CurrentEntry(), 35);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 2);
    int edited = -1;
    prompts.colorEditor = [&](CColorEditDlg& editor)
    {
        edited = editor.Entry();
        return false;
    };
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_EQ(edited, 35);
    EXPECT_TRUE(window.isVisible()) << "Enter on the panel is not the window's";

    const std::uint16_t copied = Word(35);
    QTest::keyClick(&panel, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), ColorText(Colour(35)));
    QTest::keyClick(&panel, Qt::Key_Right);
    QTest::keyClick(&panel, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Word(36), copied);
    EXPECT_EQ(UndoText(), "&Undo Paste Colour");

    const std::uint16_t lifted = Word(36);
    const std::uint16_t target = Word(38);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Right, Qt::Key_Space})
        QTest::keyClick(&panel, key);
    EXPECT_EQ(std::pair(Word(36), Word(38)), std::pair(target, lifted));
    EXPECT_EQ(UndoText(), "&Undo Swap Colours");
    QTest::keyClick(&panel, Qt::Key_Space);
    QTest::keyClick(&panel, Qt::Key_Left);
    QTest::keyClick(&panel, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Word(37), lifted);
    EXPECT_EQ(UndoText(), "&Undo Copy Colour");
    QTest::keyClick(&panel, Qt::Key_Space);
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(panel.LiftedEntry(), -1);
    EXPECT_TRUE(window.isVisible()) << "Escape put the swatch back and kept the window";

    ChooseFromMenu("Copy &Row", [&] { QTest::keyClick(&panel, Qt::Key_Menu); });
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("GIMP Palette\n"));
}

// A drop swaps the two colours, a Ctrl+drop copies one onto the other;
// what is not a swatch is not taken.
TEST_F(PaletteEditor, DroppingASwatchSwapsOrWithCtrlCopies)
{
    CPalettePanel& panel = window.PalettePanel();
    const auto drop = [&](QMimeData* data, int to, Qt::KeyboardModifiers keys)
    {
        const QPointF at = panel.SwatchCenter(to);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              keys);
        QApplication::sendEvent(&panel, &enter);
        QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, keys);
        QApplication::sendEvent(&panel, &dropped);
        delete data;
        return enter.isAccepted();
    };
    const std::uint16_t first = Word(17);
    const std::uint16_t second = Word(200);
    EXPECT_TRUE(drop(panel.SwatchMimeData(17), 200, Qt::NoModifier));
    EXPECT_EQ(std::pair(Word(17), Word(200)), std::pair(second, first));
    EXPECT_TRUE(drop(panel.SwatchMimeData(17), 5, Qt::ControlModifier));
    EXPECT_EQ(Word(5), second);
    EXPECT_EQ(UndoText(), "&Undo Copy Colour");
    auto* text = new QMimeData;
    text->setText("#FFFFFF");
    EXPECT_FALSE(drop(text, 6, Qt::NoModifier));
    window.OnEditUndo();
    window.OnEditUndo();
    EXPECT_EQ(std::pair(Word(17), Word(200)), std::pair(first, second));
}

// Rows go to the clipboard as a GIMP palette any palette reader takes, and
// back into another row; a clipboard without colours says so.
TEST_F(PaletteEditor, RowsGoThroughTheClipboardAndTheCommandsAskForTheirRowsAndIndices)
{
    window.RunPaletteCommand(ID_PALETTE_COPY_ROW, 3 * 16 + 4);
    const std::string text = QApplication::clipboard()->text().toStdString();
    PaletteContent gimp;
    ASSERT_TRUE(
        ParsePalette(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), gimp));
    EXPECT_EQ(gimp.format, PaletteFormat::Gimp);
    EXPECT_EQ(ColorsAsWords(gimp.colors), ColorsAsWords(window.Document().RowColors(3)));
    window.RunPaletteCommand(ID_PALETTE_PASTE_ROW, 5 * 16);
    EXPECT_EQ(ColorsAsWords(window.Document().RowColors(5)),
              ColorsAsWords(window.Document().RowColors(3)));

    QApplication::clipboard()->setText("hello");
    window.RunPaletteCommand(ID_PALETTE_PASTE_ROW, 7 * 16);
    EXPECT_EQ(prompts.messages,
              QStringList{"Editing Palette: Error: Could not change the palette."});
    EXPECT_EQ(prompts.informative.value(0), "\"hello\" is not a colour (#RRGGBB) or a palette.");

    // Each asks from the swatch it was run on, and does what the answer says.
    struct Asked
    {
        int id;
        PalettePair asked;
        PalettePair answer;
        const char* step;
    };
    const Asked commands[] = {
        {ID_PALETTE_SWAP_ROWS,
         {PalettePairKind::SwapRows, 2, 2, 3},
         {PalettePairKind::SwapRows, 2, 2, 9},
         "&Undo Swap Rows"},
        {ID_PALETTE_SWAP_INDICES,
         {PalettePairKind::SwapIndices, 2, 15, 14},
         {PalettePairKind::SwapIndices, 2, 1, 4, IndexSwap::ColorsAndPixels},
         "&Undo Swap Indices and Pixels"},
        {ID_PALETTE_GRADIENT,
         {PalettePairKind::Gradient, 2, 15, 0},
         {PalettePairKind::Gradient, 2, 3, 9},
         "&Undo Gradient"},
    };
    for (const Asked& command : commands)
    {
        prompts.pairAnswer = command.answer;
        window.RunPaletteCommand(command.id, 2 * 16 + 15);
        const PalettePair& asked = prompts.pairsAsked.back();
        EXPECT_EQ(std::tuple(asked.kind, asked.row, asked.first, asked.second),
                  std::tuple(command.asked.kind, command.asked.row, command.asked.first,
                             command.asked.second));
        EXPECT_EQ(UndoText(), command.step);
    }
}

// New asks about unsaved changes first, like Open, then makes an unnamed
// sheet of the layout and colours chosen, which Save names first.
TEST_F(PaletteEditor, NewAsksToSaveFirstAndMakesTheSheetChosen)
{
    window.RunPaletteCommand(ID_PALETTE_COPY_COLOR, 9);
    window.RunPaletteCommand(ID_PALETTE_PASTE_COLOR, 10);
    prompts.saveChoice = SaveChoice::Cancel;
    prompts.newSheetAnswer = NewSheetChoice{SpriteLayout::Sp2, NewSheetColors::CurrentSheet};
    window.OnFileNew();
    EXPECT_EQ(prompts.questions, QStringList{"save sheet.spr"});
    EXPECT_TRUE(prompts.newSheetsAsked.empty());

    prompts.saveChoice = SaveChoice::Discard;
    const std::vector<std::uint8_t> colours = ColorsAsWords(window.Document().RowColors(0));
    window.OnFileNew();
    ASSERT_EQ(prompts.newSheetsAsked.size(), 1u);
    EXPECT_TRUE(prompts.newSheetsAsked[0].currentAvailable);
    EXPECT_EQ(window.Document().Height(), 256);
    EXPECT_EQ(ColorsAsWords(window.Document().RowColors(0)), colours);
    EXPECT_TRUE(window.windowTitle().startsWith("Untitled") && window.isWindowModified());

    WriteFile(Path("two.gpl"), "GIMP Palette\n255 0 255\n0 255 0\n");
    prompts.newSheetAnswer = NewSheetChoice{SpriteLayout::Spr, NewSheetColors::PaletteFile};
    Run(Path("two.gpl"), &CSpriteDlg::OnFileNew);
    EXPECT_EQ(prompts.choosers.back(), &kLoadPaletteChooser);
    EXPECT_EQ(window.Document().Height(), 288);
    EXPECT_EQ(Word(16 * 7 + 1), 0x03E0);
    Run(Path("new.spr"), &CSpriteDlg::OnFileSave);
    EXPECT_EQ(prompts.choosers.back(), &kSaveSpriteChooser);
    EXPECT_EQ(ReadFile(Path("new.spr")).size(), kSprSheetBytes);
}

// Sixteen thumbnails; a click or Enter chooses the row, a colour changes its
// own row's thumbnail alone, and the menu item follows the window.
TEST_F(PaletteEditor, AllRowsShowsEveryRowAndChoosesOne)
{
    CAllRowsView& rows = window.AllRows();
    window.OnCommand(ID_VIEW_ALL_ROWS);
    ASSERT_TRUE(rows.isVisible());
    EXPECT_TRUE(Action(ID_VIEW_ALL_ROWS)->isChecked());
    std::vector<QImage> thumbnails;
    for (int row = 0; row < 16; ++row)
        thumbnails.push_back(rows.Thumbnail(row));
    // A whole factor, and all sixteen in the window.
    const int divisor = rows.Divisor();
    EXPECT_EQ(thumbnails[0].size(),
              QSize((256 + divisor - 1) / divisor, (288 + divisor - 1) / divisor) * rows.Zoom());
    EXPECT_TRUE(rows.rect().contains(rows.ThumbnailRect(15)));
    EXPECT_NE(thumbnails[4], thumbnails[5]);

    QTest::mouseClick(&rows, Qt::LeftButton, Qt::NoModifier, rows.ThumbnailRect(9).center());
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 9);
    rows.setFocus();
    QTest::keyClick(&rows, Qt::Key_Down);
    QTest::keyClick(&rows, Qt::Key_Return);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 9 + rows.Columns());

    window.RunPaletteCommand(ID_PALETTE_COPY_COLOR, 0);
    window.RunPaletteCommand(ID_PALETTE_PASTE_COLOR, 4 * 16 + 1);
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(rows.Thumbnail(row) == thumbnails[std::size_t(row)], row != 4) << row;

    QTest::keyClick(&rows, Qt::Key_Escape);
    EXPECT_FALSE(rows.isVisible());
    EXPECT_FALSE(Action(ID_VIEW_ALL_ROWS)->isChecked());
}

} // namespace
