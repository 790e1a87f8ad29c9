// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "image/SpriteImage.h"

#include <QProcess>

#include <tuple>

namespace
{
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

using PaletteCommands = WindowTest;

// Save Palette asks whether the shown row alone or the whole table, or
// nothing; Load Palette marks the sheet changed; failures say so.
TEST_F(PaletteCommands, LoadAndSavePaletteAskAndReport)
{
    Open("sheet.spr", SprBytes("TAIL"));
    ChooseRow(2);
    prompts.choiceAnswers = {0, 1, -1};
    prompts.answers = {Path("row"), Path("all")}; // no extension: JASC-PAL
    for (int i = 0; i < 3; ++i)
        window.OnFileSavePalette();
    EXPECT_EQ(prompts.questions, QStringList(3, "Saving Palette: Which colours should the palette "
                                                "file hold? [Row Sprite #3 (16 colours), Whole "
                                                "table (256 colours)]"));
    EXPECT_EQ(prompts.choosers.size(), 3u) << "Open, and no chooser after Cancel";
    EXPECT_TRUE(ReadFile(Path("row")).startsWith("JASC-PAL\r\n0100\r\n16\r\n"));
    EXPECT_TRUE(ReadFile(Path("all")).startsWith("JASC-PAL\r\n0100\r\n256\r\n"));
    Run(Path("row"), &CSpriteDlg::OnFileLoadPalette);
    EXPECT_TRUE(window.isWindowModified());

    Run(WriteFile(Path("junk.pal"), "nothing"), &CSpriteDlg::OnFileLoadPalette);
    prompts.choiceAnswers = {1};
    Run(Path("no/such/folder/p.act"), &CSpriteDlg::OnFileSavePalette);
    EXPECT_EQ(prompts.messages,
              QStringList({"Loading Palette: Error: Could not load palette file.",
                           "Saving Palette: Error: Could not save palette file."}));
}

// A picture with the sheet's colours on other indices: Yes gives them back,
// No imports it as it is; a colour in none of the entries is named.
TEST_F(PaletteCommands, ImportOffersTheSheetsPaletteOnlyForAnExactMatch)
{
    Open("sheet.spr", SprBytes("TAIL"));
    Run(Path("sheet.png"), &CSpriteDlg::OnFileExport);
    ASSERT_EQ(QProcess::execute("/usr/bin/python3", {"-c", kPillowEdits, dir.path()}), 0);
    const QString question = "Import Image: Every colour of the picture is exactly one colour of "
                             "the sheet's palette.\nKeep the sheet's palette and give the picture "
                             "the sheet's indices?";
    // The picture, the answer, and the index of pixel (16, 0) after the import (24-bit: -1).
    const std::tuple<QString, bool, int> imports[] = {
        {"sheet.png", true, 1}, // its own export: nothing to ask
        {"permuted.png", true, 1},
        {"permuted.png", false, 14},
        {"rgb.bmp", false, -1},
    };
    for (const auto& [name, yes, index] : imports)
    {
        prompts.questions.clear();
        prompts.yesNoAnswers = {yes};
        Run(Path(name), &CSpriteDlg::OnFileImport);
        EXPECT_EQ(prompts.questions, name == "sheet.png" ? QStringList() : QStringList{question});
        const CSpriteImage& sheet = *window.Document().Source();
        EXPECT_EQ(sheet.GetBitsPerPixel() == 8 ? sheet.GetPixels()[16] : -1, index)
            << name.toStdString();
    }
    // A truecolour sheet has no palette to keep: nothing is asked or said.
    Run(Path("missing.png"), &CSpriteDlg::OnFileImport);
    EXPECT_TRUE(prompts.messages.isEmpty());

    Open("sheet.spr", SprBytes("TAIL"));
    Run(Path("missing.png"), &CSpriteDlg::OnFileImport);
    EXPECT_EQ(prompts.messages,
              QStringList{"(i) Import Image: The picture is imported with its own palette."});
    EXPECT_TRUE(prompts.informative.value(0).endsWith(
        "\nColour #010203 at pixel (7, 9) is in none of the palette's entries."));
}

} // namespace
