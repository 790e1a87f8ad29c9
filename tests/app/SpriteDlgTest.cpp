#include "AppTestSupport.h"
#include "../core/BmpFiles.h"

#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

namespace
{
using Handler = void (CSpriteDlg::*)();

QRgb Color(const CSpriteImage* image, int entry)
{
    const ColorEntry* color = image->GetColor(entry);
    return qRgb(color->red, color->green, color->blue);
}

class SpriteWindow : public ::testing::Test
{
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    // Runs a command whose chooser answers with path ("" cancels).
    void Run(const QString& path, Handler handler)
    {
        prompts.answers << path;
        (window.*handler)();
    }

    // What the window shows, in one line; an empty window shows 0x0x0.
    std::string State()
    {
        const CSpriteDocument& document = window.Document();
        const CSpriteImage none;
        const CSpriteImage& shown = document.Display() ? *document.Display() : none;
        return QString::asprintf("%dx%dx%d tail %d SP2 %d name '%s' row %d", shown.GetWidth(),
                                 shown.GetHeight(), shown.GetBitsPerPixel(),
                                 int(document.TrailingBlock().Size()),
                                 document.Layout() == SpriteLayout::Sp2,
                                 QFileInfo(QString::fromStdString(document.FileName()))
                                     .fileName()
                                     .toUtf8()
                                     .constData(),
                                 window.PaletteSelector().currentIndex())
            .toStdString();
    }

    const CSpriteImage* DisplayImage() const { return window.Document().Display(); }

    void ExpectMessage(const QString& message)
    {
        EXPECT_EQ(prompts.messages, QStringList{message});
        EXPECT_EQ(prompts.messageOwner, &window);
        prompts.messages.clear();
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
};

TEST_F(SpriteWindow, OpenSaveExportImportAndSp2WalkTheSpriteStates)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.PaletteSelector().setCurrentIndex(5);
    const QByteArray original = SprBytes("TAIL");
    Run(WriteFile(Path("sheet.spr"), original), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(State(), "256x288x8 tail 4 SP2 0 name '' row 0");

    // The selector chooses the row shown; arrow keys step rows.
    window.PaletteSelector().setCurrentIndex(10);
    window.PaletteSelector().activated(10);
    QTest::keyClick(&window.PaletteSelector(), Qt::Key_Down);
    EXPECT_EQ(Color(DisplayImage(), 15), SheetColor(191));

    // Save after Open asks for a name; from then on Save writes without asking.
    Run(Path("named.spr"), &CSpriteDlg::OnFileSave);
    QFile::remove(Path("named.spr"));
    window.OnFileSave();
    EXPECT_EQ(ReadFile(Path("named.spr")), original);

    Run(Path("sheet.bmp"), &CSpriteDlg::OnFileExport);
    EXPECT_EQ(State(), "256x288x8 tail 4 SP2 0 name 'named.spr' row 11");

    // Import replaces the images and resets the selector only.
    Run(Path("sheet.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(State(), "256x288x8 tail 4 SP2 0 name 'named.spr' row 0");
    EXPECT_EQ(Color(DisplayImage(), 15), SheetColor(15));
    EXPECT_TRUE(prompts.messages.empty());

    // An SP2 file's note shows over the new sheet, already repainted.
    PaintCounter counter;
    QCoreApplication::processEvents();
    window.SheetView().viewport()->installEventFilter(&counter);
    prompts.whileMessageShown = [&]
    {
        QCoreApplication::processEvents();
        EXPECT_GT(counter.paints, 0) << "the repaint comes before the note";
    };
    Run(WriteFile(Path("grey.Sp2"), SheetPixelBytes(256)), &CSpriteDlg::OnFileOpen);
    ExpectMessage("(i) Loading Sprite: Note: .SP2 Files have no palette, any imported images with "
                  "a palette will not save the palette with the file.");
    EXPECT_EQ(State(), "256x256x8 tail 0 SP2 1 name '' row 0");
    EXPECT_EQ(Color(DisplayImage(), 15), qRgb(240, 240, 240));
    // Each command asked with its own chooser; the second Save asked nothing.
    EXPECT_EQ(prompts.choosers, (std::vector<const FileChooser*>{
                                    &kOpenSpriteChooser, &kSaveSpriteChooser, &kExportChooser,
                                    &kImportChooser, &kOpenSpriteChooser}));
}

TEST_F(SpriteWindow, FailuresAreReportedAndLeaveTheSpriteAndFilesAlone)
{
    const QByteArray original = SprBytes("TAIL");
    Run(WriteFile(Path("sheet.spr"), original), &CSpriteDlg::OnFileOpen);
    const CSpriteImage* sheet = window.Document().Source();
    const std::tuple<QString, Handler, const char*> failures[] = {
        // A full device takes nothing; a missing folder holds nothing.
        {"/dev/full", &CSpriteDlg::OnFileSaveAs,
         "Saving Sprite: Error: Could not write sprite file."},
        {"/dev/full", &CSpriteDlg::OnFileExport, "Exporting Sprite: Could not export to BMP file."},
        {WriteFile(Path("junk.bmp"), "not a picture"), &CSpriteDlg::OnFileImport,
         "Import Image: Error: Could not load BMP file."},
        {Path("no/such/folder.spr"), &CSpriteDlg::OnFileSaveAs,
         "Saving Sprite: Error: Could not create sprite file."},
    };
    for (const auto& [answer, handler, message] : failures)
    {
        Run(answer, handler);
        ExpectMessage(message);
    }
    EXPECT_EQ(window.Document().Source(), sheet);
    EXPECT_EQ(State(), "256x288x8 tail 4 SP2 0 name 'folder.spr' row 0");

    // Save after Save As asks nothing: a picture of another depth is refused before the file
    // is touched; each failure explains itself.
    Run(Path("sheet.spr"), &CSpriteDlg::OnFileSaveAs);
    CSpriteImage rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24));
    std::fill_n(rgb.GetPixels(), 18, 1);
    ASSERT_TRUE(rgb.SaveBMP(QFile::encodeName(Path("rgb.bmp")).constData()));
    Run(Path("rgb.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(State(), "3x2x24 tail 4 SP2 0 name 'sheet.spr' row 0");
    const size_t asked = prompts.choosers.size();
    window.OnFileSave();
    EXPECT_EQ(prompts.choosers.size(), asked);
    EXPECT_EQ(prompts.messages.last(),
              "Saving Sprite: Error: Only 8-bit images can be saved as sprite files.");
    EXPECT_EQ(ReadFile(Path("sheet.spr")), original);
    EXPECT_EQ(prompts.informative.mid(3),
              QStringList({"File: " + Path("no/such/folder.spr") +
                               "\nNo such file or directory.\nThe folder does not exist: use "
                               "Save As to choose another.",
                           "File: " + Path("rgb.bmp") +
                               "\nColour #010101 at pixel (0, 0) is in none of the palette's "
                               "entries.",
                           "File: " + Path("sheet.spr") +
                               "\n24-bit picture: only 8-bit pictures become sheets.\nConvert "
                               "the picture to indexed colour (16 or 256 colours) in your editor "
                               "and import it again."}));

    // Cancelling Open changes nothing; a failed Open empties the window and
    // leaves the selector where it was.
    prompts.messages.clear();
    for (const char* name : {"missing.spr", "missing.SP2"})
    {
        Run(Path("sheet.spr"), &CSpriteDlg::OnFileOpen);
        window.PaletteSelector().setCurrentIndex(3);
        Run(QString(), &CSpriteDlg::OnFileOpen);
        EXPECT_EQ(State(), "256x288x8 tail 4 SP2 0 name '' row 3");
        Run(Path(name), &CSpriteDlg::OnFileOpen);
        EXPECT_EQ(State(), "0x0x0 tail 0 SP2 0 name '' row 3");
    }
    EXPECT_EQ(prompts.messages, QStringList({"Sprite Image: Error: Could not load SPR file.",
                                             "Sprite Image: Error: Could not load SP2 file."}));
}

// Every loss is listed in one question before anything is written; the
// messages say which file, why, and what to do.
TEST_F(SpriteWindow, ALossySaveAsksFirstAndEveryMessageExplains)
{
    Run(WriteFile(Path("sheet.spr"), SprBytes("TAIL")), &CSpriteDlg::OnFileOpen);
    // A BMP of 16 colours whose pixels use entry 200 all the same.
    const auto wide =
        BuildBmp(IndexedBmp(BmpRows(200, std::vector<std::uint32_t>(320, 200)), 8, 16));
    WriteFile(Path("wide.bmp"),
              QByteArray(reinterpret_cast<const char*>(wide.data()), wide.size()));
    Run(Path("wide.bmp"), &CSpriteDlg::OnFileImport);
    // The 16 colours the picture leaves undefined show the sheet's own.
    EXPECT_EQ(Color(DisplayImage(), 16), SheetColor(16));

    const QString question =
        "Saving Sprite: Saving as SPR changes the picture: 51,200 pixels use colour entries "
        "above 15 and would become entry mod 16; 64 columns beyond 256 are cut; 88 transparent "
        "rows are added to make 288. | File: " +
        Path("out.spr");
    for (const bool save : {false, true})
    {
        prompts.saveAnswer = save;
        Run(Path("out.spr"), &CSpriteDlg::OnFileSaveAs);
        EXPECT_EQ(prompts.questions, QStringList{question});
        EXPECT_EQ(QFileInfo(Path("out.spr")).size(), save ? 37376 + 4 : 0);
        prompts.questions.clear();
    }
    EXPECT_EQ(ReadFile(Path("out.spr")).right(4), "TAIL");
    EXPECT_TRUE(prompts.messages.empty());

    // Save As takes the layout of the name: an SP2 sheet saved as SPR grows.
    Run(WriteFile(Path("grey.sp2"), SheetPixelBytes(256)), &CSpriteDlg::OnFileOpen);
    Run(Path("grey.spr"), &CSpriteDlg::OnFileSaveAs);
    EXPECT_TRUE(prompts.questions.last().contains("32 transparent rows are added to make 288"));
    EXPECT_EQ(QFileInfo(Path("grey.spr")).size(), 37376);
    EXPECT_EQ(prompts.informative, QStringList{"File: " + Path("grey.sp2")});
    prompts.messages.clear();
    prompts.informative.clear();

    // A sheet saved exactly asks nothing.
    Run(Path("grey.spr"), &CSpriteDlg::OnFileOpen);
    window.OnFileSave();
    EXPECT_EQ(prompts.questions.size(), 1);
}

TEST_F(SpriteWindow, EmptyWindowHasItsMenuAndSelectorAndOffersOnlyTheAboutBox)
{
    EXPECT_EQ(State(), "0x0x0 tail 0 SP2 0 name '' row 0");
    QComboBox& selector = window.PaletteSelector();
    ASSERT_EQ(selector.count(), 16);
    EXPECT_EQ(selector.itemText(15), "Portrait #8");
    EXPECT_EQ(window.focusWidget(), &selector);
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    window.show();
    // It opens at its smallest and grows from there.
    EXPECT_EQ(window.size(), window.minimumSize());
    EXPECT_GT(window.maximumSize().width(), window.minimumSize().width());

    // Every File and Help command but Open and Exit does nothing without a
    // sprite; those that need one are greyed. Mnemonics are unique in each menu.
    selector.activated(10); // only a repaint
    QStringList items;
    std::function<void(QMenu*, bool)> list = [&](QMenu* menu, bool trigger)
    {
        QString mnemonics;
        for (QAction* item : menu->actions())
        {
            const QString key = QKeySequence::mnemonic(item->text()).toString().toLower();
            EXPECT_TRUE(item->isSeparator() || (!key.isEmpty() && !mnemonics.contains(key)))
                << item->text().toStdString();
            mnemonics += key;
            if (item->menu())
            {
                items << item->text() + " [";
                list(item->menu(), false);
                items << "]";
                continue;
            }
            items << (item->isSeparator()
                          ? QStringLiteral("-")
                          : item->text() + '=' + item->data().toString() +
                                item->shortcut().toString() + (item->isEnabled() ? "" : " off"));
            if (trigger && item->data().toInt() != ID_FILE_OPEN &&
                item->data().toInt() != ID_FILE_EXIT)
                item->trigger();
        }
    };
    QMenu bar; // the bar's own mnemonics
    for (QAction* popup : window.MenuBar().actions())
    {
        bar.addAction(popup->text());
        items << popup->text();
        list(popup->menu(), popup->text() != "&View");
    }
    list(&bar, false);
    items.erase(items.end() - 3, items.end());
    EXPECT_EQ(items.join(' '),
              "&File &New...=57600 &Open...=57601Ctrl+O Open Recen&t [ ] Re&vert=32792 off - "
              "&Save=57603Ctrl+S off Save &As...=57604Ctrl+Shift+S off - &Import=32773 off "
              "&Export=32774 off E&dit Externally=32793Ctrl+E off - &Load Palette...=32794 off "
              "Save &Palette...=32795 off - Pre&ferences...=32796 E&xit=32771Ctrl+Q "
              "&View Zoom &In=32780Ctrl++ Zoom &Out=32781Ctrl+- &Actual Size=32782Ctrl+0 "
              "Zoom to &Fit=32783Ctrl+9 - &Background [ &Checkerboard=32784 "
              "&Solid Colour...=32785 ] Pixel &Grid=32786 &Tile Grid [ &None=32787 "
              "&8 \u00D7 8=32788 &16 \u00D7 16=32789 &32 \u00D7 32=32790 &Custom...=32791 ] "
              "&Help &About...=32775");
    EXPECT_TRUE(prompts.choosers.empty());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window.OnCommand(ID_FILE_NEW));
    EXPECT_EQ(prompts.aboutBoxes, 1);
}

} // namespace
