// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "app/DesktopSettings.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <tuple>

namespace
{
// The test sheet with pixel (0, 0), index 0 in it, set to index.
QByteArray EditedSpr(int index)
{
    return SprBytes("TAIL").replace(512, 1, QByteArray(1, char(index)));
}

int FirstPixel(const CSpriteDlg& window)
{
    return window.Document().Source()->GetPixels()[0];
}

class Desktop : public WindowTest
{
protected:
    // sheet.spr open, with an import of pixel (0, 0) = 1 not yet saved.
    void OpenWithUnsavedImport()
    {
        window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("TAIL")));
        prompts.answers = {Path("edited.bmp")}; // and no answer left from before
        window.OnFileImport();
        ASSERT_TRUE(window.Document().IsModified());
    }

    void SetUp() override
    {
        // A BMP of the edited sheet, the picture every import here brings.
        CSpriteDocument edited;
        edited.Open(QFile::encodeName(WriteFile(Path("edited.spr"), EditedSpr(1))).toStdString());
        ASSERT_TRUE(edited.Export(QFile::encodeName(Path("edited.bmp")).toStdString()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(Path("cache")));
    }
};

TEST_F(Desktop, FilesFromTheDesktopOpenOrStartANewSheet)
{
    const auto title = [&]
    { return window.windowTitle() + (window.isWindowModified() ? " *" : ""); };
    EXPECT_EQ(title(), "Orvo Sprite Manager");
    // File > Open asks the format table as well: a BMP named ".spr" is a picture.
    Open("looks.spr", ReadFile(Path("edited.bmp")));
    EXPECT_EQ(title(), "Untitled[*] - Orvo Sprite Manager *");
    window.OpenPath(WriteFile(Path("a.spr"), SprBytes("TAIL")));
    EXPECT_EQ(title(), "a.spr[*] - Orvo Sprite Manager");
    window.OpenPath(Path("edited.bmp"));
    EXPECT_EQ(title(), "Untitled[*] - Orvo Sprite Manager *");
    Run(Path("new.spr"), &CSpriteDlg::OnFileSave); // it asks for a name
    EXPECT_EQ(title(), "new.spr[*] - Orvo Sprite Manager");
    // The picture became an SPR sheet without a trailing block.
    EXPECT_EQ(ReadFile(Path("new.spr")), EditedSpr(1).chopped(4));
}

TEST_F(Desktop, OpenRecentKeepsTheLastEightThatStillExistNewestFirst)
{
    // A greyed menu never opens, so the first file must make it usable at once.
    QMenu* recent = window.MenuBar().actions().first()->menu()->actions().at(2)->menu();
    EXPECT_FALSE(recent->isEnabled());
    for (int i = 0; i < 10; ++i)
        window.OpenPath(WriteFile(Path(QString("%1.spr").arg(i)), SprBytes("")));
    EXPECT_TRUE(recent->isEnabled());
    window.OpenPath(Path("5.spr")); // once, and first
    QFile::remove(Path("8.spr"));
    // The menu shows them when it opens; an item opens its file.
    emit recent->aboutToShow();
    QStringList names;
    for (QAction* item : recent->actions())
        names << item->text().left(3) + QFileInfo(item->text()).fileName();
    EXPECT_EQ(names.join(' '), "&1 5.spr &2 9.spr &3 7.spr &4 6.spr &5 4.spr &6 3.spr &7 2.spr");
    recent->actions().at(1)->trigger();
    EXPECT_EQ(window.windowTitle(), "9.spr[*] - Orvo Sprite Manager");
}

TEST_F(Desktop, RevertReadsTheFileAgainAndKeepsTheSheetWhenItCannot)
{
    OpenWithUnsavedImport();
    ChooseRow(3);
    window.PaletteSelector().activated(3);
    window.OnCommand(ID_FILE_REVERT);
    EXPECT_EQ(prompts.questions, QStringList{"save sheet.spr"});
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(window.Document().PaletteRow(), 3);

    QFile::remove(Path("sheet.spr"));
    window.OnCommand(ID_FILE_REVERT);
    EXPECT_EQ(prompts.messages, QStringList{"Reading Sprite: Error: Could not load SPR file."});
    EXPECT_TRUE(window.Document().HasSheet());
}

// Writes to the open sheet's file from outside, the way an editor would.
void WriteInPieces(const QString& path, const QByteArray& bytes, int pauseMs)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (qsizetype at = 0; at < bytes.size(); at += 4096)
    {
        file.write(bytes.mid(at, 4096));
        file.flush();
        QTest::qWait(at == 16384 ? 3 * CFileWatch::kQuietMs : pauseMs); // one long pause
    }
}

// Drops a file on the window, as a file manager would.
void Drop(QWidget& window, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&window, &drop);
}

void SaveByRename(const QString& path, const QByteArray& bytes)
{
    WriteFile(path + ".new", bytes);
    std::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData());
}

TEST_F(Desktop, AnOutsideChangeIsReadOnlyWholeAndAsksBeforeDroppingChanges)
{
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("TAIL")));
    // A slow writer: the sheet on screen stays until the file is whole (a
    // short file would lose its trailing block).
    bool tookHalf = false;
    QTimer peek;
    QObject::connect(&peek, &QTimer::timeout,
                     [&] { tookHalf |= window.Document().TrailingBlock().Size() != 4; });
    peek.start(5);
    WriteInPieces(Path("sheet.spr"), EditedSpr(2), 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return FirstPixel(window) == 2; }));
    EXPECT_FALSE(tookHalf);
    // An editor that deletes the file and writes it anew later: only the
    // folder's watch sees it come back.
    QFile::remove(Path("sheet.spr"));
    QTest::qWait(3 * CFileWatch::kQuietMs);
    WriteFile(Path("sheet.spr"), EditedSpr(3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return FirstPixel(window) == 3; }));
    EXPECT_TRUE(prompts.messages.isEmpty());

    // The program's own save is no outside change.
    Run(Path("edited.bmp"), &CSpriteDlg::OnFileImport);
    window.OnFileSave();
    Run(Path("edited.bmp"), &CSpriteDlg::OnFileImport);
    QTest::qWait(3 * CFileWatch::kQuietMs);
    EXPECT_TRUE(prompts.questions.isEmpty());

    // Unsaved changes: the user is asked; "no" keeps them.
    for (bool reload : {false, true})
    {
        prompts.reloadAnswer = reload;
        SaveByRename(Path("sheet.spr"), EditedSpr(reload ? 6 : 5));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.questions.isEmpty(); }));
        QTest::qWait(CFileWatch::kQuietMs);
        EXPECT_EQ(prompts.questions, QStringList{"reload sheet.spr"});
        EXPECT_EQ(FirstPixel(window), reload ? 6 : 1);
        EXPECT_EQ(window.isWindowModified(), !reload);
        prompts.questions.clear();
    }
}

TEST_F(Desktop, EditExternallyBringsTheSheetBackExactlyOrNotAtAll)
{
    // The "editor" sets pixel (0, 0) to colour 5, or colour 0 to one the sheet does not have.
    const QString editor = WriteFile(Path("editor.py"), R"(import sys
from PIL import Image
im = Image.open(sys.argv[2])
if sys.argv[1] == "stray":
    im.putpalette([1, 2, 3] + im.getpalette()[3:])
else:
    im.putpixel((0, 0), 5)
im.save(sys.argv[2])
)");
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("TAIL")));
    qputenv("TAVREL_IMAGE_EDITOR", QFile::encodeName("/usr/bin/python3 \"" + editor + "\" stray"));
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 10000));
    EXPECT_EQ(prompts.messages, QStringList{"Edit Externally: Error: The edited picture uses a "
                                            "colour the sheet does not have."});
    EXPECT_FALSE(window.isWindowModified());

    qputenv("TAVREL_IMAGE_EDITOR", QFile::encodeName("/usr/bin/python3 \"" + editor + "\" edit"));
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    qunsetenv("TAVREL_IMAGE_EDITOR");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }, 10000));
    window.OnFileSave(); // the file opened
    EXPECT_EQ(ReadFile(Path("sheet.spr")), EditedSpr(5));
    EXPECT_EQ(prompts.messages.size(), 1);
    // Preferences keeps the chosen command; the environment comes first.
    prompts.editorAnswer = " my-editor --new ";
    window.OnCommand(ID_FILE_PREFERENCES);
    EXPECT_EQ(EditorCommand(), "my-editor --new");
}

TEST_F(Desktop, EveryWayOutAsksBeforeUnsavedChangesAreLost)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Open", [&] { window.OnCommand(ID_FILE_OPEN); }},
        {"Open Recent", [&] { window.OnCommand(ID_FILE_RECENT_FIRST + 1); }},
        {"drop", [&] { Drop(window, Path("other.spr")); }},
        {"Revert", [&] { window.OnCommand(ID_FILE_REVERT); }},
        {"Exit", [&] { window.OnCommand(ID_FILE_EXIT); }},
        {"close box", [&] { window.close(); }},
    };
    WriteFile(Path("other.spr"), SprBytes(""));
    for (const auto& [way, step] : ways)
        for (SaveChoice choice : {SaveChoice::Save, SaveChoice::Discard, SaveChoice::Cancel})
        {
            SCOPED_TRACE(std::string(way) + " " + std::to_string(int(choice)));
            window.OpenPath(Path("other.spr"));
            OpenWithUnsavedImport();
            window.show();
            prompts.questions.clear();
            prompts.answers = {Path("other.spr")}; // for Open; Save writes the file opened
            prompts.saveChoice = choice;
            step();
            EXPECT_EQ(prompts.questions, QStringList{"save sheet.spr"});
            const bool wentOn = !window.isVisible() || !window.isWindowModified();
            EXPECT_EQ(wentOn, choice != SaveChoice::Cancel);
            if (!window.isVisible()) // the window ended and let the sheet go
            {
                EXPECT_FALSE(window.Document().HasSheet());
            }
            EXPECT_EQ(ReadFile(Path("sheet.spr")),
                      choice == SaveChoice::Save ? EditedSpr(1) : SprBytes("TAIL"));
        }
    // An unnamed sheet's Save asks for a name; cancelling it stops the exit.
    window.OpenPath(Path("edited.bmp"));
    window.show();
    prompts.saveChoice = SaveChoice::Save;
    prompts.answers = {QString()};
    window.OnCommand(ID_FILE_EXIT);
    EXPECT_TRUE(window.isVisible());
}
} // namespace
