#include "AppTestSupport.h"

#include "app/DesktopSettings.h"
#include "app/SpriteDlg.h"
#include "image/SpriteImage.h"
#include "res/Resource.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
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
    QByteArray bytes = SprBytes("TAIL");
    bytes[512] = char(index);
    return bytes;
}

int FirstPixel(const CSpriteDlg& window)
{
    const CSpriteImage* source = window.Document().Source();
    return source ? source->GetPixels()[0] : -1;
}

class Desktop : public ::testing::Test
{
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }

    void Run(const QString& answer, void (CSpriteDlg::*handler)())
    {
        prompts.answers << answer;
        (window.*handler)();
    }

    // sheet.spr open, with an import of pixel (0, 0) = 1 not yet saved.
    void OpenWithUnsavedImport()
    {
        window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("TAIL")));
        Run(Path("edited.bmp"), &CSpriteDlg::OnFileImport);
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

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    CSpriteDlg window{prompts};
};

TEST_F(Desktop, FilesFromTheDesktopOpenOrStartANewSheet)
{
    EXPECT_EQ(window.windowTitle(), "Orvo Sprite Manager");
    const std::tuple<QString, QByteArray, const char*> cases[] = {
        {"a.spr", SprBytes("TAIL"), "a.spr[*] - Orvo Sprite Manager 288 0"},
        {"b.SP2", SheetPixelBytes(256), "b.SP2[*] - Orvo Sprite Manager 256 0"},
        {"edited.bmp", ReadFile(Path("edited.bmp")), "Untitled[*] - Orvo Sprite Manager 288 1"},
        {"new.spr", {}, "new.spr[*] - Orvo Sprite Manager 288 0"}, // Save, which asks for a name
    };
    for (const auto& [name, bytes, state] : cases)
    {
        if (bytes.isEmpty())
            Run(Path(name), &CSpriteDlg::OnFileSave);
        else
            window.OpenPath(WriteFile(Path(name), bytes));
        EXPECT_EQ(QString("%1 %2 %3")
                      .arg(window.windowTitle())
                      .arg(window.Document().Height())
                      .arg(window.isWindowModified()),
                  state);
    }
    // The picture became an SPR sheet without a trailing block.
    EXPECT_EQ(ReadFile(Path("new.spr")), EditedSpr(1).chopped(4));
}

TEST_F(Desktop, OpenRecentKeepsTheLastEightThatStillExistNewestFirst)
{
    for (int i = 0; i < 10; ++i)
        window.OpenPath(WriteFile(Path(QString("%1.spr").arg(i)), SprBytes("")));
    window.OpenPath(Path("5.spr")); // once, and first
    QFile::remove(Path("8.spr"));
    QStringList names;
    for (const QString& path : LoadRecentFiles())
        names << QFileInfo(path).fileName();
    EXPECT_EQ(names.join(' '), "5.spr 9.spr 7.spr 6.spr 4.spr 3.spr 2.spr");

    // The menu shows them when it opens; an item opens its file.
    QMenu* recent = window.MenuBar().actions().first()->menu()->actions().at(2)->menu();
    emit recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 7);
    EXPECT_EQ(recent->actions().at(1)->text(), "&2 " + QDir::toNativeSeparators(Path("9.spr")));
    recent->actions().at(1)->trigger();
    EXPECT_EQ(window.windowTitle(), "9.spr[*] - Orvo Sprite Manager");
}

TEST_F(Desktop, RevertReadsTheFileAgainAndKeepsTheSheetWhenItCannot)
{
    OpenWithUnsavedImport();
    window.PaletteSelector().setCurrentIndex(3);
    window.PaletteSelector().activated(3);
    window.OnCommand(ID_FILE_REVERT);
    EXPECT_EQ(prompts.questions, QStringList{"save sheet.spr"});
    EXPECT_EQ(FirstPixel(window), 0);
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(window.Document().PaletteRow(), 3);

    QFile::remove(Path("sheet.spr"));
    window.OnCommand(ID_FILE_REVERT);
    EXPECT_EQ(prompts.messages, QStringList{"Reading Sprite: Error: Could not load SPR file."});
    EXPECT_EQ(FirstPixel(window), 0);
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
    // Saves by rename, twice: the watch follows the new file each time.
    for (int index : {3, 4})
    {
        SaveByRename(Path("sheet.spr"), EditedSpr(index));
        EXPECT_TRUE(QTest::qWaitFor([&] { return FirstPixel(window) == index; }));
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(prompts.questions.isEmpty());

    // The program's own save is no outside change.
    Run(Path("edited.bmp"), &CSpriteDlg::OnFileImport);
    Run(Path("sheet.spr"), &CSpriteDlg::OnFileSave);
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
    // The "editor" reverses the palette, then sets pixel (0, 0) to the sheet's
    // colour 5, or to a colour the sheet does not have.
    const QString editor = WriteFile(Path("editor.py"), R"(import sys
from PIL import Image
path = sys.argv[-1]
im = Image.open(path)
im = im.remap_palette(list(range(255, -1, -1)))
if sys.argv[1] == "stray":
    palette = im.getpalette()
    palette[0:3] = [1, 2, 3]
    im.putpalette(palette)
    im.putpixel((0, 0), 0)
else:
    im.putpixel((0, 0), 255 - 5)
im.save(path)
)");
    window.OpenPath(WriteFile(Path("sheet.spr"), SprBytes("TAIL")));
    qputenv("TAVREL_IMAGE_EDITOR", QFile::encodeName("/usr/bin/python3 \"" + editor + "\" stray"));
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.isEmpty(); }, 10000));
    EXPECT_EQ(prompts.messages, QStringList{"Edit Externally: Error: The edited picture uses a "
                                            "colour the sheet does not have."});
    ASSERT_EQ(prompts.informative.size(), 1);
    EXPECT_TRUE(prompts.informative[0].contains(
        "#010203 at pixel (0, 0) is in none of the palette's entries"));
    EXPECT_FALSE(window.isWindowModified());

    qputenv("TAVREL_IMAGE_EDITOR", QFile::encodeName("/usr/bin/python3 \"" + editor + "\" edit"));
    window.OnCommand(ID_FILE_EDIT_EXTERNALLY);
    qunsetenv("TAVREL_IMAGE_EDITOR");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isWindowModified(); }, 10000));
    Run(Path("sheet.spr"), &CSpriteDlg::OnFileSave); // Save after Open asks for a name
    EXPECT_EQ(ReadFile(Path("sheet.spr")), EditedSpr(5));
    EXPECT_EQ(prompts.messages.size(), 1);
    // Preferences keeps the chosen command; the environment comes first.
    prompts.editorAnswer = " my-editor --new ";
    window.OnCommand(ID_FILE_PREFERENCES);
    EXPECT_EQ(EditorCommand(), "my-editor --new");
}

TEST_F(Desktop, EveryWayOutAsksBeforeUnsavedChangesAreLost)
{
    // Each way, and the result the window ends with when it closes (-1: it stays open).
    using Step = std::function<void()>;
    const std::tuple<const char*, Step, int> ways[] = {
        {"Open",
         [&]
         {
             prompts.answers << Path("other.spr");
             window.OnCommand(ID_FILE_OPEN);
         },
         -1},
        {"Open Recent", [&] { window.OnCommand(ID_FILE_RECENT_FIRST + 1); }, -1},
        {"drop",
         [&]
         {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(Path("other.spr"))});
             QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
             QCoreApplication::sendEvent(&window, &enter);
             QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
             QCoreApplication::sendEvent(&window, &drop);
         },
         -1},
        {"Revert", [&] { window.OnCommand(ID_FILE_REVERT); }, -1},
        {"Exit", [&] { window.MenuBar().actions().first()->menu()->actions().last()->trigger(); },
         0},
        {"Enter", [&] { QTest::keyClick(&window.PaletteSelector(), Qt::Key_Return); }, IDOK},
        {"Escape", [&] { QTest::keyClick(&window.PaletteSelector(), Qt::Key_Escape); }, IDCANCEL},
        {"close box", [&] { window.close(); }, IDCANCEL},
    };
    WriteFile(Path("other.spr"), SprBytes(""));
    for (const auto& [way, step, result] : ways)
        for (SaveChoice choice : {SaveChoice::Save, SaveChoice::Discard, SaveChoice::Cancel})
        {
            SCOPED_TRACE(std::string(way) + " " + std::to_string(int(choice)));
            prompts.answers.clear();
            window.OpenPath(Path("other.spr"));
            OpenWithUnsavedImport();
            window.show();
            prompts.questions.clear();
            if (choice == SaveChoice::Save)
                prompts.answers << Path("sheet.spr");
            prompts.saveChoice = choice;
            step();
            EXPECT_EQ(prompts.questions, QStringList{"save sheet.spr"});
            const bool wentOn = !window.isVisible() || !window.isWindowModified();
            EXPECT_EQ(wentOn, choice != SaveChoice::Cancel);
            if (result >= 0 && wentOn) // the window ended and let the sheet go
            {
                EXPECT_EQ(std::tuple(window.result(), window.Document().HasSheet()),
                          std::tuple(result, false));
            }
            EXPECT_EQ(ReadFile(Path("sheet.spr")),
                      choice == SaveChoice::Save ? EditedSpr(1) : SprBytes("TAIL"));
        }
    // An unnamed sheet's Save asks for a name; cancelling it stops the exit.
    window.OpenPath(Path("edited.bmp"));
    window.show();
    prompts.saveChoice = SaveChoice::Save;
    prompts.answers << QString();
    window.OnCommand(ID_FILE_EXIT);
    EXPECT_TRUE(window.isVisible());
}
} // namespace
