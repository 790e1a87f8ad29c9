#include "AppTestSupport.h"

#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QCoreApplication>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
class SpriteWindow : public ::testing::Test
{
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    void Open(const QString& path)
    {
        prompts.answers.push_back(path);
        window.OnFileOpen();
    }

    QString WriteSpr(const char* name, const QByteArray& trailing = {})
    {
        return WriteFile(Path(name), SprBytes(trailing));
    }

    // Display entries 0-15 against source row n.
    bool ShowsRow(int row) const
    {
        for (int i = 0; i < 16; ++i)
        {
            const ColorEntry* shown = window.DisplayImage()->GetColor(i);
            const ColorEntry* source = window.SourceImage()->GetColor(row * 16 + i);
            if (qRgb(shown->red, shown->green, shown->blue) !=
                qRgb(source->red, source->green, source->blue))
                return false;
        }
        return true;
    }

    void ExpectOnlyMessage(const char* text, const char* caption, MessageIcon icon)
    {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, QString::fromUtf8(text));
        EXPECT_EQ(prompts.messages[0].caption, QString::fromUtf8(caption));
        EXPECT_EQ(prompts.messages[0].icon, icon);
        EXPECT_EQ(prompts.messages[0].owner, &window);
        prompts.messages.clear();
    }

    void ExpectEmpty() const
    {
        EXPECT_EQ(window.SourceImage(), nullptr);
        EXPECT_EQ(window.DisplayImage(), nullptr);
        EXPECT_EQ(window.TrailingData(), nullptr);
        EXPECT_EQ(window.TrailingSize(), 0);
        EXPECT_EQ(window.SP2Flag(), 0);
        EXPECT_TRUE(window.FileName().isEmpty());
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
};

TEST_F(SpriteWindow, StartsEmptyWithTheSelectorOnSpriteOne)
{
    ExpectEmpty();
    QComboBox& selector = window.PaletteSelector();
    ASSERT_EQ(selector.count(), 16);
    EXPECT_EQ(selector.itemText(0), "Sprite #1");
    EXPECT_EQ(selector.itemText(7), "Sprite #8");
    EXPECT_EQ(selector.itemText(8), "Portrait #1");
    EXPECT_EQ(selector.itemText(15), "Portrait #8");
    EXPECT_EQ(selector.currentIndex(), 0);
    EXPECT_EQ(window.focusWidget(), &selector);

    EXPECT_EQ(window.windowTitle(), "Orvo Sprite Manager");
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    window.show();
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(16, 16)) && iconSizes.contains(QSize(32, 32)));
}

TEST_F(SpriteWindow, MenuHoldsEveryItemWithItsCommand)
{
    QStringList items;
    for (QAction* popup : window.MenuBar().actions())
    {
        items << popup->text();
        for (QAction* item : popup->menu()->actions())
            items << (item->isSeparator() ? QStringLiteral("-")
                                          : item->text() + '=' + item->data().toString());
    }
    EXPECT_EQ(items.join(' '), "&File &New...=57600 &Open...=57601 - &Save=57603 "
                               "Save &As...=57604 - &Import=32773 &Export=32774 - E&xit=32771 "
                               "&Help &About...=32775");
}

TEST_F(SpriteWindow, OpeningSprKeepsTrailingBlockAndResetsSelector)
{
    window.PaletteSelector().setCurrentIndex(5);
    Open(WriteSpr("sheet.spr", "TAIL"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(prompts.choosers.back(), &kOpenSpriteChooser);
    ASSERT_NE(window.SourceImage(), nullptr);
    EXPECT_EQ(window.DisplayImage()->GetWidth(), 256);
    EXPECT_EQ(window.DisplayImage()->GetHeight(), 288);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 0);
    EXPECT_TRUE(ShowsRow(0));
    EXPECT_EQ(
        QByteArray(reinterpret_cast<const char*>(window.TrailingData()), window.TrailingSize()),
        "TAIL");
    EXPECT_EQ(window.SP2Flag(), 0);
    EXPECT_TRUE(window.FileName().isEmpty());
}

TEST_F(SpriteWindow, SelectorShowsPaletteRowsAndArrowKeysStep)
{
    window.PaletteSelector().activated(10); // nothing loaded: only a repaint
    Open(WriteSpr("sheet.spr"));
    window.PaletteSelector().setCurrentIndex(10);
    window.PaletteSelector().activated(10);
    EXPECT_TRUE(ShowsRow(10));
    EXPECT_EQ(window.DisplayImage()->GetColor(0)->red, qRed(SheetColor(160)));
    // Only the display changes; colours past the first row stay the source's.
    EXPECT_EQ(window.SourceImage()->GetColor(0)->red, qRed(SheetColor(0)));
    EXPECT_EQ(window.DisplayImage()->GetColor(160)->red, qRed(SheetColor(160)));

    QTest::keyClick(&window.PaletteSelector(), Qt::Key_Down);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 11);
    EXPECT_TRUE(ShowsRow(11));
    QTest::keyClick(&window.PaletteSelector(), Qt::Key_Up);
    QTest::keyClick(&window.PaletteSelector(), Qt::Key_Up);
    EXPECT_TRUE(ShowsRow(9));
}

TEST_F(SpriteWindow, OpeningSp2ShowsTheNoteOverTheNewSheetBeforeSettingTheFlag)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int paints = 0;
    struct PaintCounter : QObject
    {
        int* count;
        explicit PaintCounter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            *count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(&paints);
    QCoreApplication::processEvents();
    window.PictureFrame().parentWidget()->installEventFilter(&counter);
    prompts.whileMessageShown = [&]
    {
        EXPECT_EQ(window.SP2Flag(), 0);
        QCoreApplication::processEvents();
        EXPECT_GT(paints, 0) << "the repaint comes before the note";
    };
    Open(WriteFile(Path("grey.Sp2"), SheetPixelBytes(256)));
    ExpectOnlyMessage("Note: .SP2 Files have no palette, any imported images with a palette will "
                      "not save the palette with the file.",
                      "Loading Sprite", MessageIcon::Information);
    EXPECT_EQ(window.SP2Flag(), 1);
    EXPECT_EQ(window.SourceImage()->GetHeight(), 256);
    EXPECT_EQ(window.DisplayImage()->GetColor(15)->red, 240);
}

TEST_F(SpriteWindow, FailedOpenLeavesTheWindowEmptyAndTheSelectorWhereItWas)
{
    Open(WriteSpr("sheet.spr", "TAIL"));
    window.PaletteSelector().setCurrentIndex(3);
    Open(QString()); // cancelled
    EXPECT_NE(window.SourceImage(), nullptr);

    Open(Path("missing.spr"));
    ExpectOnlyMessage("Error: Could not load SPR file.", "Sprite Image", MessageIcon::Error);
    ExpectEmpty();
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 3);

    Open(Path("missing.SP2"));
    ExpectOnlyMessage("Error: Could not load SP2 file.", "Sprite Image", MessageIcon::Error);
    ExpectEmpty();
}

TEST_F(SpriteWindow, SaveAsksForANameOnceThenWritesToIt)
{
    const QByteArray original = SprBytes("TAIL");
    Open(WriteFile(Path("sheet.spr"), original));
    prompts.answers.push_back(Path("copy.spr"));
    window.OnFileSave();
    EXPECT_EQ(prompts.choosers.back(), &kSaveSpriteChooser);
    EXPECT_EQ(window.FileName(), Path("copy.spr"));
    EXPECT_EQ(ReadFile(Path("copy.spr")), original);

    QFile::remove(Path("copy.spr"));
    const size_t asked = prompts.choosers.size();
    window.OnFileSave();
    EXPECT_EQ(prompts.choosers.size(), asked);
    EXPECT_EQ(ReadFile(Path("copy.spr")), original);
    EXPECT_TRUE(prompts.messages.empty());

    // A name that cannot be created stays the name Save uses.
    prompts.answers.push_back(Path("no/such/folder.spr"));
    window.OnFileSaveAs();
    ExpectOnlyMessage("Error: Could not create sprite file.", "Saving Sprite", MessageIcon::Error);
    EXPECT_EQ(window.FileName(), Path("no/such/folder.spr"));
}

TEST_F(SpriteWindow, WritesThatFailAreReportedAndTheOldFileSurvives)
{
    const QByteArray original = SprBytes("TAIL");
    Open(WriteFile(Path("sheet.spr"), original));

    // A full device takes nothing: the save and the export must say so.
    prompts.answers.push_back(QStringLiteral("/dev/full"));
    window.OnFileSaveAs();
    ExpectOnlyMessage("Error: Could not write sprite file.", "Saving Sprite", MessageIcon::Error);
    prompts.answers.push_back(QStringLiteral("/dev/full"));
    window.OnFileExport();
    ExpectOnlyMessage("Could not export to BMP file.", "Exporting Sprite", MessageIcon::Error);

    // A picture that is not 8-bit is refused before the file is touched.
    prompts.answers.push_back(Path("sheet.spr"));
    window.OnFileSaveAs();
    EXPECT_TRUE(prompts.messages.empty());
    CSpriteImage wide;
    ASSERT_TRUE(wide.Create(2, 2, 24));
    ASSERT_TRUE(wide.SaveBMP(Path("wide.bmp").toUtf8().constData()));
    prompts.answers.push_back(Path("wide.bmp"));
    window.OnFileImport();
    ASSERT_TRUE(prompts.messages.empty());
    window.OnFileSave();
    ExpectOnlyMessage("Error: Only 8-bit images can be saved as sprite files.", "Saving Sprite",
                      MessageIcon::Error);
    EXPECT_EQ(ReadFile(Path("sheet.spr")), original);
}

TEST_F(SpriteWindow, CommandsThatNeedASpriteDoNothingWithout)
{
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_EXPORT, ID_FILE_IMPORT, ID_FILE_NEW})
        window.OnCommand(id);
    for (QAction* item : window.MenuBar().actions().first()->menu()->actions())
        if (item->data().toInt() != ID_FILE_OPEN && item->data().toInt() != ID_FILE_EXIT)
            item->trigger();
    EXPECT_TRUE(prompts.choosers.empty());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window.OnCommand(ID_FILE_NEW));
}

TEST_F(SpriteWindow, ExportWritesTheSourceImageWithItsWholeColourTable)
{
    Open(WriteSpr("sheet.spr"));
    window.PaletteSelector().setCurrentIndex(10);
    window.OnSelchangePalette();
    prompts.answers.push_back(Path("sheet.bmp"));
    window.OnFileExport();
    EXPECT_EQ(prompts.choosers.back(), &kExportChooser);
    const QByteArray bmp = ReadFile(Path("sheet.bmp"));
    ASSERT_EQ(bmp.size(), 74806);
    for (int i : {0, 15, 160, 255}) // blue, green, red of each entry
        EXPECT_EQ(
            qRgb(quint8(bmp[54 + 4 * i + 2]), quint8(bmp[54 + 4 * i + 1]), quint8(bmp[54 + 4 * i])),
            SheetColor(i));

    prompts.answers.push_back(Path("no/such/folder.bmp"));
    window.OnFileExport();
    ExpectOnlyMessage("Could not export to BMP file.", "Exporting Sprite", MessageIcon::Error);
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 10);
}

TEST_F(SpriteWindow, ImportReplacesTheImagesAndKeepsNameFlagAndTrailingBlock)
{
    Open(WriteSpr("sheet.spr", "TAIL"));
    prompts.answers.push_back(Path("named.spr"));
    window.OnFileSaveAs();
    prompts.answers.push_back(Path("sheet.bmp"));
    window.OnFileExport();
    window.PaletteSelector().setCurrentIndex(4);

    const CSpriteImage* before = window.SourceImage();
    prompts.answers.push_back(WriteFile(Path("junk.bmp"), "not a picture"));
    window.OnFileImport();
    ExpectOnlyMessage("Error: Could not load BMP file.", "Import Image", MessageIcon::Error);
    EXPECT_EQ(window.SourceImage(), before);

    prompts.answers.push_back(Path("sheet.bmp"));
    window.OnFileImport();
    EXPECT_EQ(prompts.choosers.back(), &kImportChooser);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(window.PaletteSelector().currentIndex(), 0);
    EXPECT_TRUE(ShowsRow(0));
    EXPECT_EQ(window.FileName(), Path("named.spr"));
    EXPECT_EQ(window.TrailingSize(), 4);
    EXPECT_EQ(window.SP2Flag(), 0);

    // A picture of another depth replaces the sheet but cannot be saved as one.
    CSpriteImage rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24));
    ASSERT_TRUE(rgb.SaveBMP(QFile::encodeName(Path("rgb.bmp")).constData()));
    prompts.answers.push_back(Path("rgb.bmp"));
    window.OnFileImport();
    EXPECT_EQ(window.DisplayImage()->GetBitsPerPixel(), 24);
    window.OnFileSave();
    ExpectOnlyMessage("Error: Only 8-bit images can be saved as sprite files.", "Saving Sprite",
                      MessageIcon::Error);
}

TEST_F(SpriteWindow, EnterEscapeCloseAndExitEndTheWindowAndReleaseTheSprite)
{
    const struct
    {
        std::function<void()> end;
        int result;
    } endings[] = {
        {[&] { QTest::keyClick(&window.PaletteSelector(), Qt::Key_Return); }, IDOK},
        {[&] { QTest::keyClick(&window.PaletteSelector(), Qt::Key_Escape); }, IDCANCEL},
        {[&] { window.close(); }, IDCANCEL},
        {[&] { window.MenuBar().actions().first()->menu()->actions().last()->trigger(); }, 0},
    };
    for (const auto& ending : endings)
    {
        Open(WriteSpr("sheet.spr", "TAIL"));
        window.show();
        ending.end();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), ending.result);
        ExpectEmpty();
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SpriteWindow, AboutBoxOpensFromHelpAndItsSystemCommandOnly)
{
    window.OnCommand(ID_HELP_ABOUT);
    EXPECT_EQ(prompts.aboutBoxes, 1);
    window.OnSysCommand(0x0010, 0);
    window.OnSysCommand(0x001F, 0);
    EXPECT_EQ(prompts.aboutBoxes, 3);
    window.OnSysCommand(0x0020, 0);
    window.OnSysCommand(0xF060, 0); // close
    EXPECT_EQ(prompts.aboutBoxes, 3);
}
} // namespace
