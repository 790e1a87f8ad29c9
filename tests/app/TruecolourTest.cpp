// SPDX-License-Identifier: GPL-3.0-or-later
// Truecolour art in the window: Import offers Reduce Colours, whose preview
// is what Save writes; Import Colourways makes one sheet of several rows;
// and the converter's options write the window's bytes.
#include "AppTestSupport.h"

#include "app/ReduceOptionsBox.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"
#include "res/Strings.h"

#include <QImage>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>

namespace
{

constexpr int kRow = 3;

// Hundreds of colours on a transparent lattice, the sheet's size.
QString WriteArt(const QString& path)
{
    QImage art(256, 288, QImage::Format_ARGB32);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x)
            art.setPixel(x, y, (x + y) % 9 ? qRgba(x, y * 255 / 287, (x ^ y) & 255, 255) : 0);
    art.save(path);
    return path;
}

// Colourway k of a sprite in bands of `classes` colours, all 15-bit.
QString WriteColorway(const QString& path, int k, int classes)
{
    QImage way(256, 288, QImage::Format_ARGB32);
    for (int y = 0; y < way.height(); ++y)
        for (int x = 0; x < way.width(); ++x)
        {
            const int c = (x / 16 + y / 32) % classes;
            way.setPixel(x, y, y % 7 ? qRgba((c + k) % 32 * 8, (31 - c) * 8, k * 24, 255) : 0);
        }
    way.save(path);
    return path;
}

class Truecolour : public WindowTest
{
protected:
    Truecolour() { Open("sheet.spr", SprBytes("TAIL")); }
    QAction* Action(int id)
    {
        for (QAction* action : window.MenuBar().findChildren<QAction*>())
            if (action->data().toInt() == id)
                return action;
        return nullptr;
    }
    QByteArray SavedAs(const QString& name)
    {
        Run(Path(name), &CSpriteDlg::OnFileSaveAs);
        return ReadFile(Path(name));
    }
    // What the converter writes, run from the test's folder.
    QByteArray Converted(const QStringList& arguments, int status = 0,
                         const QString& output = "converted.spr")
    {
        QProcess convert;
        convert.setWorkingDirectory(dir.path());
        convert.start(TAVREL_CONVERT, arguments + QStringList{"-o", output});
        convert.waitForFinished();
        converterErrors = QString::fromUtf8(convert.readAllStandardError());
        EXPECT_EQ(convert.exitCode(), status) << converterErrors.toStdString();
        return ReadFile(Path(output));
    }
    QString converterErrors;
};

TEST_F(Truecolour, ImportOffersReduceColoursWhosePreviewSaveWritesAsTheConverterDoes)
{
    ChooseRow(kRow);
    EXPECT_FALSE(Action(ID_EDIT_REDUCE_COLORS)->isEnabled()) << "a sheet of indices 0-15";
    WriteArt(Path("art.png"));
    ReducedPicture shown;
    const ReduceOptions options{ReduceTarget::FixedColors, Dithering::Ordered, 100, 128};
    prompts.offerAnswers = {false, true};
    prompts.reduceDialog = [&](CReduceColorsDlg& dialog)
    {
        EXPECT_EQ(dialog.Row(), kRow) << "the row shown before the import";
        dialog.Choose(kRow, options);
        shown = dialog.Preview();
        EXPECT_TRUE(dialog.ReportText().startsWith("Difference (CIEDE2000): mean "));
        return true;
    };
    // OK without the offer keeps the picture as it came.
    Run(Path("art.png"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(window.Document().Source()->GetBitsPerPixel(), 32);
    EXPECT_TRUE(Action(ID_EDIT_REDUCE_COLORS)->isEnabled());
    window.OnEditUndo();
    ChooseRow(kRow);
    Run(Path("art.png"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(prompts.offers, QStringList(2, "&Reduce Colours..."));
    EXPECT_EQ(prompts.messages,
              QStringList(2, "(i) Import Image: The picture is imported with its own palette."));
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo Reduce Colours");
    EXPECT_EQ(window.PaletteSelector().currentIndex(), kRow);
    EXPECT_FALSE(Action(ID_EDIT_REDUCE_COLORS)->isEnabled());

    const QByteArray saved = SavedAs("window.spr");
    for (int i = 0; i < 256 * 288; ++i)
        ASSERT_EQ(std::uint8_t(saved[512 + i / 2]) >> (i % 2 * 4) & 15,
                  shown.picture.GetPixels()[i]);
    Converted({"sheet.spr"}, 0, "sheet.pal");
    EXPECT_EQ(Converted({"art.png", "--palette", "sheet.pal", "--trailing-from", "sheet.spr",
                         "--reduce", "3", "--fixed-row-colors", "--dither", "ordered"}),
              saved);
    window.OnEditUndo();
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo Import");
    prompts.reduceDialog = [](CReduceColorsDlg&) { return false; };
    window.OnCommand(ID_EDIT_REDUCE_COLORS);
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo Import") << "Cancel changes nothing";
}

TEST_F(Truecolour, EightColourwaysBecomeOneSheetAsTheConverterMakesIt)
{
    QStringList ways, arguments{"sheet.spr", "--colorways"};
    for (int k = 0; k < 8; ++k)
    {
        ways << WriteColorway(Path(QString("way%1.png").arg(k)), k, 12);
        arguments << QString("way%1.png:%1").arg(k);
    }
    prompts.filesAnswers = {ways};
    prompts.colorwaysDialog = [](CColorwaysDlg& dialog)
    {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == kColorwaysAdd)
                button->click();
        EXPECT_EQ(dialog.PictureCount(), 8);
        EXPECT_EQ(dialog.StatusText(),
                  "12 colour classes: every picture is shown exactly by its row.");
        EXPECT_EQ(dialog.DifferenceText(7), "none");
        EXPECT_EQ(dialog.Request().rows, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
        return true;
    };
    window.OnCommand(ID_FILE_IMPORT_COLORWAYS);
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo Import Colourways");
    EXPECT_EQ(Converted(arguments), SavedAs("window.spr"));

    // A 16th class: refused with its pixel in the dialog and by the converter.
    WriteColorway(Path("way7.png"), 7, 16);
    prompts.colorwaysDialog = [&](CColorwaysDlg& dialog)
    {
        dialog.AddPictures(ways);
        const QString refusal = "24 colour classes are more than the 15 a palette row holds; "
                                "pixel (240, 1) makes one too many.";
        EXPECT_EQ(dialog.StatusText(), refusal + " Reduce to 15 colour classes to import them "
                                                 "with some loss.");
        dialog.SetReduce(true);
        EXPECT_EQ(dialog.StatusText(), "24 colour classes, reduced to 15.");
        EXPECT_TRUE(dialog.DifferenceText(7).startsWith("mean "));
        return false;
    };
    window.OnCommand(ID_FILE_IMPORT_COLORWAYS);
    Converted(arguments, 1);
    EXPECT_TRUE(converterErrors.contains("pixel (240, 1) makes one too many"))
        << converterErrors.toStdString();
    EXPECT_EQ(Action(ID_EDIT_UNDO)->text(), "&Undo Import Colourways");
}

} // namespace
