#include "AppTestSupport.h"

#include "app/QtUserPrompts.h"
#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace
{
using Handler = void (CSpriteDlg::*)();

// What Pillow makes of the exported sheet.png, as another editor would.
constexpr char kPillowEdits[] = R"(
import sys
from PIL import Image
folder = sys.argv[1]
sheet = Image.open(folder + "/sheet.png")
# The 16 colours used, in reverse order; the other 240 entries dropped.
sheet.remap_palette(list(range(15, -1, -1))).save(folder + "/permuted.png")
rgb = sheet.convert("RGB")
rgb.save(folder + "/rgb.bmp")
rgb.putpixel((7, 9), (1, 2, 3))
rgb.save(folder + "/missing.png")
)";

class PaletteCommands : public ::testing::Test
{
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    void Run(const QString& path, Handler handler)
    {
        prompts.answers << path;
        (window.*handler)();
    }

    void OpenSheet(const QByteArray& bytes)
    {
        Run(WriteFile(Path("sheet.spr"), bytes), &CSpriteDlg::OnFileOpen);
    }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
};

TEST_F(PaletteCommands, ChoosersOfferPngBesideBmpAndPaletteFormats)
{
    for (const FileChooser* chooser : {&kImportChooser, &kExportChooser})
        EXPECT_EQ(ToQtNameFilters(chooser->filter),
                  QStringList({"BMP Files (*.bmp)", "PNG Files (*.png)"}));
    EXPECT_EQ(
        ToQtNameFilters(kSavePaletteChooser.filter),
        QStringList({"JASC Palette (*.pal)", "GIMP Palette (*.gpl)", "Adobe Color Table (*.act)"}));
    EXPECT_EQ(ToQtNameFilters(kLoadPaletteChooser.filter).first(),
              "Palette Files (*.pal *.gpl *.act)");

    // A name typed without an extension gets that of the chosen entry.
    QWidget owner;
    QTimer::singleShot(
        0,
        [&]
        {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            chooser->setDirectory(dir.path());
            auto* types = chooser->findChild<QComboBox*>("fileTypeCombo");
            types->setCurrentIndex(1);
            types->textActivated(types->currentText());
            chooser->selectFile("sheet");
            QTest::keyClick(chooser->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
        });
    EXPECT_EQ(QtUserPrompts().ChooseFile(owner, kExportChooser), Path("sheet.png"));
}

// Load and Save Palette: greyed without a sheet; a short palette goes into
// the shown row, the whole table back from entry 0; failures say so.
TEST_F(PaletteCommands, LoadAndSavePaletteReplaceColoursOnly)
{
    const auto enabled = [&]
    {
        QStringList states;
        for (QAction* action : window.MenuBar().findChildren<QAction*>())
            if (action->data().toInt() == ID_FILE_LOAD_PALETTE ||
                action->data().toInt() == ID_FILE_SAVE_PALETTE)
                states << action->text() + (action->isEnabled() ? " on" : " off");
        return states.join(", ");
    };
    EXPECT_EQ(enabled(), "&Load Palette... off, Save &Palette... off");
    OpenSheet(SprBytes("TAIL"));
    EXPECT_EQ(enabled(), "&Load Palette... on, Save &Palette... on");

    window.PaletteSelector().setCurrentIndex(2);
    window.PaletteSelector().activated(2);
    prompts.yesNoAnswers = {true, false};
    Run(Path("row"), &CSpriteDlg::OnFileSavePalette); // no extension: JASC-PAL
    Run(Path("all.gpl"), &CSpriteDlg::OnFileSavePalette);
    EXPECT_EQ(prompts.questions.first(), "Saving Palette: Save only the 16 colours of Sprite #3?\n"
                                         "No saves the whole colour table.");
    EXPECT_TRUE(ReadFile(Path("row")).startsWith("JASC-PAL\r\n0100\r\n16\r\n"));
    EXPECT_TRUE(ReadFile(Path("all.gpl")).startsWith("GIMP Palette"));

    window.PaletteSelector().setCurrentIndex(9);
    window.PaletteSelector().activated(9);
    Run(Path("row"), &CSpriteDlg::OnFileLoadPalette); // into the row shown
    const ColorEntry* entry = window.Document().Source()->GetColor(144);
    EXPECT_EQ(qRgb(entry->red, entry->green, entry->blue), SheetColor(32));
    EXPECT_TRUE(window.isWindowModified());

    Run(WriteFile(Path("junk.pal"), "nothing"), &CSpriteDlg::OnFileLoadPalette);
    Run(Path("no/such/folder/p.act"), &CSpriteDlg::OnFileSavePalette);
    EXPECT_EQ(prompts.messages,
              QStringList({"Loading Palette: Error: Could not load palette file.",
                           "Saving Palette: Error: Could not save palette file."}));
}

// A picture with the sheet's colours on other indices: Yes gives them back,
// No imports it as it is; a colour in none or two entries is named.
TEST_F(PaletteCommands, ImportOffersTheSheetsPaletteOnlyForAnExactMatch)
{
    const QByteArray original = SprBytes("TAIL");
    OpenSheet(original);
    Run(Path("sheet.png"), &CSpriteDlg::OnFileExport);
    ASSERT_EQ(QProcess::execute("/usr/bin/python3", {"-c", kPillowEdits, dir.path()}), 0);
    const QString question = "Import Image: Every colour of the picture is exactly one colour of "
                             "the sheet's palette.\nKeep the sheet's palette and give the picture "
                             "the sheet's indices?";
    const std::tuple<const char*, bool, int> imports[] = {
        {"sheet.png", true, 8}, // its own export: nothing to ask
        {"permuted.png", true, 8},
        {"rgb.bmp", true, 8},
        {"rgb.bmp", false, 24},
    };
    for (const auto& [name, yes, depth] : imports)
    {
        SCOPED_TRACE(name);
        prompts.questions.clear();
        prompts.yesNoAnswers = {yes};
        Run(Path(name), &CSpriteDlg::OnFileImport);
        EXPECT_EQ(prompts.questions,
                  std::string(name) == "sheet.png" ? QStringList() : QStringList{question});
        EXPECT_EQ(window.Document().Source()->GetBitsPerPixel(), depth);
        if (depth != 8)
            continue;
        Run(Path("back.spr"), &CSpriteDlg::OnFileSaveAs);
        EXPECT_EQ(ReadFile(Path("back.spr")), original);
    }
    // A truecolour sheet has no palette to keep: nothing is asked or said.
    Run(Path("missing.png"), &CSpriteDlg::OnFileImport);
    EXPECT_TRUE(prompts.messages.isEmpty());

    OpenSheet(original);
    Run(Path("missing.png"), &CSpriteDlg::OnFileImport);
    // Entry 5 takes entry 3's colour: the picture's colour 3 is in two entries.
    QByteArray twice = original;
    twice.replace(10, 2, original.mid(6, 2));
    OpenSheet(twice);
    Run(Path("rgb.bmp"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(window.Document().Source()->GetBitsPerPixel(), 24);
    EXPECT_EQ(prompts.messages,
              QStringList(2, "(i) Import Image: The picture is imported with its own palette."));
    ASSERT_EQ(prompts.informative.size(), 2);
    EXPECT_TRUE(prompts.informative[0].endsWith(
        "\nColour #010203 at pixel (7, 9) is in none of the palette's entries."));
    EXPECT_TRUE(prompts.informative[1].endsWith(
        "\nColour #180080 at pixel (48, 0) is in more than one of the palette's entries."));

    // PNG failures are worded as the BMP ones.
    prompts.messages.clear();
    Run(WriteFile(Path("junk.png"), "not a picture"), &CSpriteDlg::OnFileImport);
    Run(Path("no/such/folder/out.png"), &CSpriteDlg::OnFileExport);
    EXPECT_EQ(prompts.messages, QStringList({"Import Image: Error: Could not load PNG file.",
                                             "Exporting Sprite: Could not export to PNG file."}));
}

} // namespace
