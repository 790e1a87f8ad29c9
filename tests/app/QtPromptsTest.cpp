// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppTestSupport.h"

#include "app/DialogUnits.h"
#include "app/QtUserPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

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

TEST(QtPrompts, MessagesAreOwnedByTheWindowAndALossySaveDefaultsToCancel)
{
    QWidget owner;
    WhenOpen<QMessageBox>(
        [&](QMessageBox& box)
        {
            EXPECT_EQ(box.parentWidget(), &owner);
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            EXPECT_EQ(QStringList({box.windowTitle(), box.text(), box.informativeText()}),
                      QStringList({"Saving Sprite", "Error: Could not create sprite file.",
                                   "File: a.spr"}));
            box.accept();
        });
    QtUserPrompts().ShowMessage(owner, "Error: Could not create sprite file.", "Saving Sprite",
                                MessageIcon::Error, "File: a.spr");
    // The question before a lossy save: Save or Cancel, Cancel by default.
    WhenOpen<QMessageBox>([](QMessageBox& box) { box.defaultButton()->click(); });
    EXPECT_FALSE(QtUserPrompts().AskSaveOrCancel(owner, "changes", "File: a.spr", "Saving Sprite"));
}

TEST(QtPrompts, SaveChoosersRefuseReadOnlyFilesAndPatternsAndStayOpen)
{
    QTemporaryDir dir;
    const QString lockedBmp = WriteFile(dir.filePath("locked.bmp"), "x");
    QFile::setPermissions(lockedBmp, QFile::ReadOwner);
    QWidget owner;
    // Saving takes a new name, adds the extension of the type chosen last and never asks to
    // replace.
    for (const bool png : {false, true})
    {
        WhenOpen<QFileDialog>(
            [&](QFileDialog& chooser)
            {
                EXPECT_EQ(chooser.parentWidget(), &owner);
                EXPECT_TRUE(chooser.testOption(QFileDialog::DontConfirmOverwrite));
                chooser.setDirectory(dir.path());
                chooser.selectFile(lockedBmp);
                WhenOpen<QMessageBox>(
                    [](QMessageBox& refusal)
                    {
                        EXPECT_TRUE(refusal.text().contains("read-only"));
                        refusal.accept();
                    });
                Confirm(chooser);
                EXPECT_TRUE(chooser.isVisible());
                chooser.selectFile("*.bmp"); // a pattern lists files, it is no name
                Confirm(chooser);
                EXPECT_TRUE(chooser.isVisible());
                auto* types = chooser.findChild<QComboBox*>("fileTypeCombo");
                types->setCurrentIndex(int(png));
                if (png)
                    types->textActivated(types->currentText());
                chooser.selectFile("export");
                Confirm(chooser);
            });
        EXPECT_EQ(QtUserPrompts().ChooseFile(owner, kExportChooser),
                  dir.filePath(png ? "export.png" : "export.bmp"));
    }
}

TEST(FileChoosers, FiltersConvertAndTheFlagsDecideWhatMayBeChosen)
{
    EXPECT_EQ(ToQtNameFilters("Pictures|*.png;*.jpg|Any (*)|*||"),
              QStringList({"Pictures (*.png *.jpg)", "Any (*)"}));
    // The format table's entries, in the words and order the choosers always had.
    const std::tuple<const FileChooser*, const char*, const char*> choosers[] = {
        {&kSaveSpriteChooser, "Orvo Sprite Files (*.spr)|*.spr|Orvo Sprite Files (*.sp2)|*.sp2||",
         "*.spr"},
        {&kImportChooser, "BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png||", "*.bmp"},
        {&kLoadPaletteChooser,
         "Palette Files (*.pal *.gpl *.act)|*.pal;*.gpl;*.act|All Files (*)|*||", ""},
        {&kSavePaletteChooser,
         "JASC Palette (*.pal)|*.pal|GIMP Palette (*.gpl)|*.gpl|Adobe Color Table (*.act)|*.act||",
         "*.pal"}};
    for (const auto& [chooser, filter, initialName] : choosers)
        EXPECT_EQ(std::pair(FilterOf(*chooser), InitialNameOf(*chooser)),
                  std::pair(std::string(filter), std::string(initialName)));

    QTemporaryDir dir;
    QFile::setPermissions(WriteFile(dir.filePath("locked.spr"), "x"), QFile::ReadOwner);
    ASSERT_TRUE(QDir(dir.path()).mkdir("shut"));
    QFile::setPermissions(dir.filePath("shut"), QFile::ReadOwner | QFile::ExeOwner);
    const std::tuple<const char*, unsigned, ChoiceProblem> cases[] = {
        {"new.spr", kOpenChooserFlags, ChoiceProblem::FileMissing},
        {"locked.spr", kOpenChooserFlags, ChoiceProblem::None},
        {"locked.spr", kSaveChooserFlags, ChoiceProblem::FileReadOnly},
        {"shut/new.spr", kSaveChooserFlags, ChoiceProblem::FolderReadOnly},
        {"gone/new.spr", kSaveChooserFlags, ChoiceProblem::FolderMissing},
    };
    for (const auto& [name, flags, problem] : cases)
        EXPECT_EQ(CheckChosenFile(dir.filePath(name), flags), problem) << name;
}

TEST(DialogUnits, ConvertWithHalvesRoundingUp)
{
    // An 8-point dialog font at 96 dots per inch measures 6 x 13.
    EXPECT_EQ(DialogRectToPixels({7, 7, 97, 62}, {6, 13}), QRect(11, 11, 146, 101));
}

} // namespace
