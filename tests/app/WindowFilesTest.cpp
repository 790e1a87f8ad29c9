// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "app/DesktopSettings.h"
#include "app/QtProgress.h"
#include "app/StartupOptions.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>

#include <sys/stat.h>

#include <tuple>

namespace
{
using WindowFiles = WindowTest;

TEST_F(WindowFiles, OpenKeepsTheSheetOnFailureAndChoosersStartWhereItIs)
{
    Open("hero.spr", SprBytes("TAIL"));
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("fifo.spr")).constData(), 0600), 0);
    Open("junk.png", "not a picture");
    Run(Path("fifo.spr"), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(prompts.messages, QStringList({"Import Image: Error: Could not load PNG file.",
                                             "Sprite Image: Error: Could not load SPR file."}));
    EXPECT_EQ(window.windowTitle(), "hero.spr[*] - Orvo Sprite Manager");
    EXPECT_EQ(LoadRecentFiles(), QStringList{Path("hero.spr")});

    prompts.choiceAnswers = {0};
    prompts.answers = {"", Path("hero.png")};
    for (const int id : {ID_FILE_SAVE_AS, ID_FILE_EXPORT, ID_FILE_SAVE_PALETTE, ID_FILE_SAVE})
        window.OnCommand(id);
    const QString folder = dir.path() + " | ";
    EXPECT_EQ(prompts.starts, QStringList({" | ", folder, folder, folder + "hero.spr",
                                           folder + "hero.png", folder + "hero.pal"}));
    for (const FileChooser* chooser : prompts.choosers)
        EXPECT_EQ(bool(chooser->flags & kChooserOverwritePrompt),
                  chooser->kind == ChooserKind::Save);
    EXPECT_EQ(ToQtNameFilters(FilterOf(kOpenSpriteChooser).c_str()).mid(2),
              QStringList({"All Sprite Files (*.spr *.sp2)", "All Files (*)"}));
    // A picture chosen in Open is a new sheet, not bytes read as a sheet.
    Run(Path("hero.png"), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(window.windowTitle(), "Untitled[*] - Orvo Sprite Manager");
    EXPECT_EQ(window.Document().Source()->GetPixels()[16], SheetIndex(16, 0));
}

TEST_F(WindowFiles, ColoursComeInRoundedAndASaveLeavesTheSheetAsItsFileNowIs)
{
    Open("sheet.spr", SprBytes("TAIL"));
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n16 239 40\n"), &CSpriteDlg::OnFileLoadPalette);
    EXPECT_EQ(window.StatusBar().currentMessage(), "1 colour was rounded to a 15-bit colour word");
    prompts.saveAnswer = true;
    Run(Path("out.sp2"), &CSpriteDlg::OnFileSaveAs);
    EXPECT_TRUE(prompts.questions.value(0).contains("the colour table is dropped"));
    EXPECT_EQ(window.Document().Height(), 256);
    EXPECT_FALSE(window.isWindowModified());
    window.OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(window.Document().Height(), 288);
    EXPECT_TRUE(window.isWindowModified()) << "what came back is in no file";
}

TEST_F(WindowFiles, EnterAndEscapeKeepTheWindowAndARestoredSizeFitsTheScreen)
{
    QSettings(QStringLiteral("tavrel"), QStringLiteral("tavrel"))
        .setValue(QStringLiteral("window/size"), QSize(5000, 5000));
    CSpriteDlg restored(prompts);
    restored.show();
    const QSize room = restored.screen()->availableGeometry().size();
    EXPECT_TRUE(restored.width() <= room.width() && restored.height() <= room.height());

    Open("sheet.spr", SprBytes(""));
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n8 8 8\n"), &CSpriteDlg::OnFileLoadPalette);
    window.show();
    QSignalSpy escapes(&window, &CSpriteDlg::EscapePressed);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(&window.PaletteSelector(), key);
    EXPECT_TRUE(window.isVisible() && prompts.questions.isEmpty());
    EXPECT_EQ(escapes.count(), 1);
}

TEST_F(WindowFiles, ALongSaveShowsItsProgressAndCancelLeavesTheFile)
{
    // Over 16 MiB, the block is copied from its file as the save goes.
    const QByteArray spr = SprBytes(QByteArray(20 << 20, 'T'));
    Open("big.spr", spr);
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n8 8 8\n"), &CSpriteDlg::OnFileLoadPalette);
    prompts.cancelAtReport = 3;
    window.OnFileSave();
    EXPECT_EQ(prompts.progresses, QStringList{"Saving Sprite: Saving big.spr..."});
    EXPECT_EQ(prompts.progressReports.size(), 3);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(ReadFile(Path("big.spr")), spr);

    // The dialog shows once the job looks long; the owner paints meanwhile.
    QWidget owner;
    owner.show();
    PaintCounter paints;
    owner.installEventFilter(&paints);
    CQtProgress progress(owner, "Saving Sprite", "Saving big.spr...");
    bool going = true;
    for (int done = 1; going && done < 1000; ++done)
    {
        owner.update();
        QTest::qSleep(10);
        if (progress.Dialog().isVisible() && paints.paints > 5)
            progress.Dialog().cancel();
        going = progress.Advance(done, 1000);
    }
    EXPECT_FALSE(going) << "Cancel stops the job";
}

TEST_F(WindowFiles, AFileLostOnDiskIsSaidAndAnEditorThatWritesSlowlyIsWaitedFor)
{
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("")));
    QFile::remove(Path("sheet.spr"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }));
    EXPECT_EQ(window.StatusBar().currentMessage(),
              "sheet.spr was deleted on disk; Save writes it again");
    window.OnFileSave();
    QFile::resize(Path("sheet.spr"), 100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }, 4000));
    EXPECT_TRUE(window.StatusBar().currentMessage().startsWith("sheet.spr was cut short"));

    // The editor writes half the picture, and the rest 0.8 s later.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache")));
    qputenv("TAVREL_IMAGE_EDITOR", "/bin/true");
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    qunsetenv("TAVREL_IMAGE_EDITOR");
    const QString png =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/edit/sheet.png";
    const QByteArray whole = ReadFile(png);
    for (const QByteArray& part : {whole.left(whole.size() / 2), whole})
    {
        WriteFile(png, part);
        QTest::qWait(800);
    }
    QTest::qWait(2000);
    EXPECT_TRUE(prompts.messages.isEmpty());
    // Left cut short, it is reported once it has stayed so for 2 s.
    WriteFile(png, whole.left(whole.size() / 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 4000));
    EXPECT_EQ(prompts.messages, QStringList{"Edit Externally: Error: Could not load PNG file."});
}

TEST(StartupOptions, HelpVersionAndFilesComeFromTheCommandLine)
{
    QCoreApplication::setApplicationVersion("1.2");
    using Action = StartupOptions::Action;
    const std::tuple<QStringList, Action, QString, QString> cases[] = {
        {{"tavrel", "hero.spr"}, Action::Run, "hero.spr", ""},
        {{"tavrel", "--", "-odd.spr"}, Action::Run, "-odd.spr", ""},
        {{"tavrel", "--version"}, Action::Version, "", "tavrel 1.2\n"},
        {{"tavrel", "--help"}, Action::Help, "", "Usage: "},
        {{"tavrel", "-odd.spr"}, Action::Error, "", "tavrel: Unknown option 'odd.spr'."},
        {{"tavrel", "a.spr", "b.spr"}, Action::Error, "", "tavrel: one file at most, not 2"},
    };
    for (const auto& [arguments, action, file, text] : cases)
    {
        const StartupOptions options = ParseStartupOptions(arguments);
        EXPECT_EQ(options.action, action) << arguments.join(' ').toStdString();
        EXPECT_EQ(options.file, file);
        EXPECT_EQ(options.text.left(text.size()), text);
    }
}

} // namespace
