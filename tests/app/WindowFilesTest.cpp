// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "app/DesktopSettings.h"
#include "app/QtProgress.h"
#include "app/QtUserPrompts.h"
#include "app/StartupOptions.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <tuple>

namespace
{
using WindowFiles = WindowTest;

QString Status(CSpriteDlg& window)
{
    return window.StatusBar().currentMessage();
}

TEST_F(WindowFiles, OpenReplacesTheSheetOnlyWithWhatItReadAndSaveWritesTheFileOpened)
{
    Open("sheet.spr", SprBytes("TAIL"));
    Run(Path("sheet.png"), &CSpriteDlg::OnFileExport);
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("fifo.spr")).constData(), 0600), 0);
    Open("junk.png", "not a picture");
    Run(Path("fifo.spr"), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(prompts.messages, QStringList({"Import Image: Error: Could not load PNG file.",
                                             "Sprite Image: Error: Could not load SPR file."}));
    EXPECT_EQ(window.windowTitle(), "sheet.spr[*] - Orvo Sprite Manager");
    EXPECT_EQ(LoadRecentFiles(), QStringList{Path("sheet.spr")});

    // Save writes the file opened, without a chooser.
    Run(WriteFile(Path("grey.gpl"), "GIMP Palette\n8 8 8\n"), &CSpriteDlg::OnFileLoadPalette);
    window.OnFileSave();
    EXPECT_EQ(ReadFile(Path("sheet.spr")).left(2), QByteArray("\x21\x04", 2));
    EXPECT_FALSE(window.isWindowModified());

    // A picture chosen in Open is a new sheet, not bytes read as a sheet.
    Run(Path("sheet.png"), &CSpriteDlg::OnFileOpen);
    EXPECT_EQ(window.windowTitle(), "Untitled[*] - Orvo Sprite Manager");
    EXPECT_EQ(window.Document().Source()->GetPixels()[16 * 256 + 16], SheetIndex(16, 16));
    EXPECT_EQ(prompts.choosers.size(), 6u);
}

TEST_F(WindowFiles, ChoosersStartWhereTheSheetIsAndThoseThatWriteAskBeforeReplacing)
{
    Open("hero.spr", SprBytes(""));
    prompts.choiceAnswers = {0};
    for (const int id : {ID_FILE_SAVE_AS, ID_FILE_EXPORT, ID_FILE_SAVE_PALETTE, ID_FILE_IMPORT})
        window.OnCommand(id);
    const QString folder = dir.path() + " | ";
    EXPECT_EQ(prompts.starts, QStringList({" | ", folder + "hero.spr", folder + "hero.png",
                                           folder + "hero.pal", folder}));
    for (const FileChooser* chooser : prompts.choosers)
        EXPECT_EQ(bool(chooser->flags & kChooserOverwritePrompt), chooser->kind == ChooserKind::Save)
            << chooser->title;
    EXPECT_EQ(QString(kExportChooser.title), "Export");
    EXPECT_EQ(ToQtNameFilters(kOpenSpriteChooser.filter),
              QStringList({"Orvo Sprite Files (*.spr)", "Orvo Sprite Files (*.sp2)",
                           "All Sprite Files (*.spr *.sp2)", "All Files (*)"}));

    // The real chooser: an existing file is replaced only on Replace.
    QWidget owner;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->directory().path(), dir.path());
        EXPECT_EQ(chooser->selectedNameFilter(), "PNG Files (*.png)");
        auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
        for (const bool replace : {false, true})
        {
            QTimer::singleShot(0, [replace] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), "hero.png already exists. Do you want to replace it?");
                EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
                QAbstractButton* cancel = box->button(QMessageBox::Cancel);
                for (QAbstractButton* button : box->buttons())
                    if ((button == cancel) != replace)
                        button->click();
            });
            QTest::keyClick(name, Qt::Key_Return);
            EXPECT_EQ(chooser->isVisible(), !replace);
        }
    });
    WriteFile(Path("hero.png"), "old");
    EXPECT_EQ(QtUserPrompts().ChooseFile(owner, kExportChooser, {dir.path(), "hero.png"}),
              Path("hero.png"));
}

TEST_F(WindowFiles, ColoursComeInRoundedAndASaveLeavesTheSheetAsItsFileNowIs)
{
    Open("sheet.spr", SprBytes("TAIL"));
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n16 239 40\n"), &CSpriteDlg::OnFileLoadPalette);
    EXPECT_EQ(Status(window), "1 colour was rounded to a 15-bit colour word");
    const ColorEntry shown = *window.Document().Display()->GetColor(0);
    EXPECT_EQ(qRgb(shown.red, shown.green, shown.blue), qRgb(16, 232, 40));

    prompts.saveAnswer = true;
    Run(Path("out.sp2"), &CSpriteDlg::OnFileSaveAs);
    EXPECT_TRUE(prompts.questions.value(0).contains(
        "4 bytes after the sheet are dropped; the colour table is dropped"));
    EXPECT_EQ(window.Document().Height(), 256);
    EXPECT_FALSE(window.isWindowModified());
    window.OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(window.Document().Height(), 288);
    EXPECT_TRUE(window.isWindowModified()) << "what came back is in no file";
}

TEST_F(WindowFiles, EnterAndEscapeKeepTheWindowAndRestoredSizesFitTheScreen)
{
    QSettings(QStringLiteral("tavrel"), QStringLiteral("tavrel"))
        .setValue(QStringLiteral("window/size"), QSize(5000, 5000));
    CSpriteDlg restored(prompts);
    restored.show();
    const QSize room = restored.screen()->availableGeometry().size();
    EXPECT_TRUE(restored.width() <= room.width() && restored.height() <= room.height());

    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("")));
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n8 8 8\n"), &CSpriteDlg::OnFileLoadPalette);
    window.show();
    QSignalSpy escapes(&window, &CSpriteDlg::EscapePressed);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(&window.PaletteSelector(), key);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_EQ(escapes.count(), 1);
}

TEST_F(WindowFiles, ALongSaveShowsItsProgressAndCancelLeavesTheFile)
{
    // Over 16 MiB, the block is copied from its file as the save goes.
    const QByteArray spr = SprBytes(QByteArray(20 << 20, 'T'));
    window.OpenPath(WriteFile(Path("big.spr"), spr));
    Run(WriteFile(Path("p.gpl"), "GIMP Palette\n8 8 8\n"), &CSpriteDlg::OnFileLoadPalette);
    prompts.cancelAtReport = 3;
    window.OnFileSave();
    EXPECT_EQ(prompts.progresses, QStringList{"Saving Sprite: Saving big.spr..."});
    EXPECT_EQ(prompts.progressReports.size(), 3);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(ReadFile(Path("big.spr")), spr);
    EXPECT_TRUE(window.isWindowModified());

    // The Qt progress: shown once the job looks long, the owner painted meanwhile.
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
    EXPECT_GT(paints.paints, 5);
}

TEST_F(WindowFiles, AFileLostOnDiskIsSaidAndAnEditorThatWritesSlowlyIsWaitedFor)
{
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("")));
    QFile::remove(Path("sheet.spr"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }));
    EXPECT_EQ(Status(window), "sheet.spr was deleted on disk; Save writes it again");
    window.OnFileSave();
    EXPECT_EQ(ReadFile(Path("sheet.spr")), SprBytes(""));
    QFile::resize(Path("sheet.spr"), 100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }, 4000));
    EXPECT_EQ(Status(window), "sheet.spr was cut short on disk; Save writes it again");
    EXPECT_TRUE(prompts.messages.isEmpty());

    // The editor writes the first half, then the rest 0.8 s later.
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache")));
    qputenv("TAVREL_IMAGE_EDITOR", "/bin/true");
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    qunsetenv("TAVREL_IMAGE_EDITOR");
    const QString png =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/edit/sheet.png";
    const QByteArray whole = ReadFile(png);
    ASSERT_FALSE(whole.isEmpty());
    WriteFile(png, whole.left(whole.size() / 2));
    QTest::qWait(800);
    WriteFile(png, whole);
    QTest::qWait(2500);
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
        {{"tavrel"}, Action::Run, "", ""},
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
