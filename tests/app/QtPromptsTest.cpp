#include "AppTestSupport.h"

#include "app/AboutDlg.h"
#include "app/DialogUnits.h"
#include "app/QtUserPrompts.h"
#include "app/SpriteApp.h"
#include "app/WindowChrome.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace
{
// Return in the name field, as a user confirms a chooser.
void Confirm(QFileDialog& chooser)
{
    QTest::keyClick(chooser.findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
}

// Runs check on the modal window that opens next, once it is up.
template <typename Window>
void WhenOpen(std::function<void(Window&)> check)
{
    QTimer::singleShot(0,
                       [check]
                       {
                           auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
                           ASSERT_NE(window, nullptr);
                           check(*window);
                       });
}

TEST(QtPrompts, MessageBoxIsOwnedByTheWindowWithOneOkButton)
{
    QWidget owner;
    WhenOpen<QMessageBox>(
        [&](QMessageBox& box)
        {
            EXPECT_EQ(box.parentWidget(), &owner);
            EXPECT_EQ(box.windowTitle(), "Saving Sprite");
            EXPECT_EQ(box.text(), "Error: Could not create sprite file.");
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
            box.accept();
        });
    QtUserPrompts().ShowMessage(owner, "Error: Could not create sprite file.", "Saving Sprite",
                                MessageIcon::Error);
}

TEST(QtPrompts, ChooserRefusesReadOnlyFilesAndStaysOpen)
{
    QTemporaryDir dir;
    const QString readOnly = WriteFile(dir.filePath("locked.spr"), "x");
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    const QString wanted = WriteFile(dir.filePath("sheet.spr"), "x");
    QWidget owner;
    WhenOpen<QFileDialog>(
        [&](QFileDialog& chooser)
        {
            EXPECT_EQ(chooser.parentWidget(), &owner);
            EXPECT_TRUE(chooser.testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_EQ(chooser.acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(chooser.fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(chooser.defaultSuffix(), "spr");
            EXPECT_EQ(chooser.nameFilters(),
                      QStringList({"Orvo Sprite Files (*.spr)", "Orvo Sprite Files (*.sp2)"}));
            EXPECT_EQ(chooser.selectedNameFilter(), "Orvo Sprite Files (*.spr)");
            EXPECT_EQ(chooser.findChild<QLineEdit*>("fileNameEdit")->text(), "*.spr");

            chooser.setDirectory(dir.path());
            chooser.selectFile(readOnly);
            WhenOpen<QMessageBox>(
                [](QMessageBox& refusal)
                {
                    EXPECT_TRUE(refusal.text().contains("read-only"));
                    refusal.accept();
                });
            Confirm(chooser);
            EXPECT_TRUE(chooser.isVisible());
            chooser.selectFile(wanted);
            Confirm(chooser);
        });
    EXPECT_EQ(QtUserPrompts().ChooseFile(owner, kOpenSpriteChooser), wanted);
}

TEST(QtPrompts, SaveChooserTakesNewNamesWithTheDefaultExtensionWithoutAsking)
{
    QTemporaryDir dir;
    QWidget owner;
    WhenOpen<QFileDialog>(
        [&](QFileDialog& chooser)
        {
            EXPECT_EQ(chooser.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(chooser.fileMode(), QFileDialog::AnyFile);
            EXPECT_TRUE(chooser.testOption(QFileDialog::DontConfirmOverwrite));
            EXPECT_EQ(chooser.nameFilters(), QStringList({"BMP Files (*.bmp)"}));
            chooser.setDirectory(dir.path());
            chooser.selectFile("*.bmp"); // a pattern lists files, it is no name
            Confirm(chooser);
            EXPECT_TRUE(chooser.isVisible());
            chooser.selectFile("export");
            Confirm(chooser);
        });
    EXPECT_EQ(QtUserPrompts().ChooseFile(owner, kExportChooser), dir.filePath("export.bmp"));
}

TEST(QtPrompts, AboutBoxShowsVersionAndMakersInLinesThatFit)
{
    QWidget owner;
    WhenOpen<CAboutDlg>(
        [&](CAboutDlg& about)
        {
            EXPECT_EQ(about.parentWidget(), &owner);
            EXPECT_EQ(about.windowTitle(), "About Tavrel");
            QStringList lines;
            for (QLabel* label : about.findChildren<QLabel*>())
            {
                if (!label->pixmap().isNull())
                    continue;
                lines << label->text();
                EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
            }
            ASSERT_EQ(lines.size(), 5);
            EXPECT_EQ(lines[0], "Tavrel Version 1.0.0.2");
            EXPECT_TRUE(lines[1].contains("the Tavrel developers"));
            EXPECT_TRUE(lines[2].contains("example.org") && lines[4].contains("example.org"));
            auto* ok = about.findChild<QPushButton*>();
            EXPECT_EQ(ok->text(), "OK");
            EXPECT_TRUE(ok->isDefault());
            about.close();
        });
    QtUserPrompts().RunAboutBox(owner);
}

TEST(QtPrompts, ProgramRunsItsWindowUntilItClosesThenReportsFalse)
{
    WhenOpen<QDialog>(
        [](QDialog& window)
        {
            EXPECT_EQ(window.windowTitle(), "Orvo Sprite Manager");
            window.reject();
        });
    EXPECT_FALSE(theApp.InitInstance());
}

TEST(FileChoosers, FilterStringsBecomeQtNameFilters)
{
    EXPECT_EQ(ToQtNameFilters(kBitmapFilter), QStringList({"BMP Files (*.bmp)"}));
    EXPECT_EQ(ToQtNameFilters("Pictures|*.png;*.jpg|Any (*)|*||"),
              QStringList({"Pictures (*.png *.jpg)", "Any (*)"}));
}

TEST(FileChoosers, ReadOnlyFilesAndFoldersAndMissingPathsAreRefused)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir.filePath("a.spr"), "x");
    const QString locked = WriteFile(dir.filePath("locked.spr"), "x");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup);
    ASSERT_TRUE(QDir(dir.path()).mkdir("shut"));
    QFile::setPermissions(dir.filePath("shut"), QFile::ReadOwner | QFile::ExeOwner);

    EXPECT_EQ(CheckChosenFile(file, kOpenChooserFlags), ChoiceProblem::None);
    EXPECT_EQ(CheckChosenFile(dir.filePath("new.spr"), kSaveChooserFlags), ChoiceProblem::None);
    EXPECT_EQ(CheckChosenFile(dir.filePath("new.spr"), kOpenChooserFlags),
              ChoiceProblem::FileMissing);
    EXPECT_EQ(CheckChosenFile(locked, kOpenChooserFlags), ChoiceProblem::FileReadOnly);
    EXPECT_EQ(CheckChosenFile(locked, kSaveChooserFlags), ChoiceProblem::FileReadOnly);
    EXPECT_EQ(CheckChosenFile(dir.filePath("shut/new.spr"), kSaveChooserFlags),
              ChoiceProblem::FolderReadOnly);
    EXPECT_EQ(CheckChosenFile(dir.filePath("gone/new.spr"), kSaveChooserFlags),
              ChoiceProblem::FolderMissing);
    EXPECT_EQ(CheckChosenFile(dir.filePath("*.spr"), kSaveChooserFlags), ChoiceProblem::Pattern);
}

TEST(DialogUnits, ConvertAsTheDialogFrameworkRounds)
{
    // An 8-point dialog font at 96 dots per inch measures 6 x 13.
    const DialogBaseUnits units{6, 13};
    EXPECT_EQ(DialogRectToPixels({0, 0, 281, 185}, units), QRect(0, 0, 422, 301));
    EXPECT_EQ(DialogRectToPixels({7, 7, 97, 62}, units), QRect(11, 11, 146, 101));
    EXPECT_EQ(DialogUnitsToPixelsY(3, units), 5);
}
} // namespace

TEST(WindowChrome, AboutItemJoinsASystemMenuOnlyWithText)
{
    AppendAboutItem(nullptr, QStringLiteral("&About Tavrel..."));
    SystemMenu menu(2);
    AppendAboutItem(&menu, QString());
    EXPECT_EQ(menu.size(), 2u);
    AppendAboutItem(&menu, QStringLiteral("&About Tavrel..."));
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[2].id, 0u);
    EXPECT_EQ(menu[3].id, 16u);
    EXPECT_EQ(menu[3].text, QStringLiteral("&About Tavrel..."));
}

TEST(WindowChrome, MinimizedIconIsCentredWithTheOddPixelRightAndBelow)
{
    EXPECT_EQ(MinimizedIconOrigin(QSize(100, 50), QSize(32, 32)), QPoint(34, 9));
    EXPECT_EQ(MinimizedIconOrigin(QSize(101, 51), QSize(32, 32)), QPoint(35, 10));
    EXPECT_EQ(MinimizedIconOrigin(QSize(16, 16), QSize(32, 32)), QPoint(-7, -7));
}
