// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtUserPrompts.h"

#include "app/AboutDlg.h"
#include "app/FileChooser.h"
#include "app/ViewSettings.h"
#include "res/Strings.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>

namespace
{
const char* ProblemText(ChoiceProblem problem)
{
    switch (problem)
    {
    case ChoiceProblem::FolderMissing:
        return kChooserFolderMissing;
    case ChoiceProblem::FileMissing:
        return kChooserFileMissing;
    case ChoiceProblem::FileReadOnly:
        return kChooserFileReadOnly;
    case ChoiceProblem::FolderReadOnly:
        return kChooserFolderReadOnly;
    case ChoiceProblem::Pattern:
    case ChoiceProblem::None:
        break;
    }
    return nullptr;
}

// A file dialog that refuses, and stays open for, a name its flags forbid.
class CheckedFileDialog : public QFileDialog
{
public:
    CheckedFileDialog(QWidget* owner, unsigned flags) : QFileDialog(owner), m_flags(flags) {}

    void done(int result) override
    {
        if (result == QDialog::Accepted && !selectedFiles().isEmpty())
        {
            const QString path = selectedFiles().constFirst();
            const ChoiceProblem problem = CheckChosenFile(path, m_flags);
            if (problem == ChoiceProblem::Pattern)
            {
                ListMatching(QFileInfo(path).fileName());
                return;
            }
            if (const char* text = ProblemText(problem))
            {
                QMessageBox::warning(this, windowTitle(), QString::fromUtf8(text).arg(path));
                return;
            }
        }
        QFileDialog::done(result);
    }

private:
    // The list shows the files that match a typed pattern, as the pattern
    // in the name field suggests; the filter entries stay as they are.
    void ListMatching(const QString& pattern)
    {
        if (auto* model = findChild<QFileSystemModel*>(QString(), Qt::FindDirectChildrenOnly))
            model->setNameFilters({pattern});
    }

    unsigned m_flags;
};
} // namespace

QString QtUserPrompts::ChooseFile(QWidget& owner, const FileChooser& chooser)
{
    CheckedFileDialog dialog(&owner, chooser.flags);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(chooser.kind == ChooserKind::Open ? QFileDialog::AcceptOpen
                                                           : QFileDialog::AcceptSave);
    dialog.setFileMode((chooser.flags & kChooserFileMustExist) ? QFileDialog::ExistingFile
                                                               : QFileDialog::AnyFile);
    const QString defaultExtension = QString::fromUtf8(DefaultExtensionOf(chooser));
    dialog.setDefaultSuffix(defaultExtension);
    // A name typed without an extension gets that of the chosen entry.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, defaultExtension](const QString& filter)
                     {
                         const QString extension = ExtensionOfNameFilter(filter);
                         dialog.setDefaultSuffix(extension.isEmpty() ? defaultExtension
                                                                     : extension);
                     });
    const QStringList filters = ToQtNameFilters(FilterOf(chooser).c_str());
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(0));
    dialog.selectFile(QString::fromStdString(InitialNameOf(chooser)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void QtUserPrompts::ShowMessage(QWidget& owner, const QString& text, const QString& caption,
                                MessageIcon icon, const QString& informative)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, &owner);
    box.setInformativeText(informative);
    box.exec();
}

bool QtUserPrompts::AskSaveOrCancel(QWidget& owner, const QString& text, const QString& informative,
                                    const QString& caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Save | QMessageBox::Cancel,
                    &owner);
    box.setInformativeText(informative);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}

bool QtUserPrompts::AskYesNo(QWidget& owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    &owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtUserPrompts::RunAboutBox(QWidget& owner)
{
    CAboutDlg about(&owner);
    about.exec();
}

QColor QtUserPrompts::ChooseColor(QWidget& owner, const QColor& initial)
{
    return QColorDialog::getColor(initial, &owner, QString::fromUtf8(kBackgroundColorCaption),
                                  QColorDialog::DontUseNativeDialog);
}

QSize QtUserPrompts::ChooseTileSize(QWidget& owner, const QSize& initial)
{
    QDialog dialog(&owner);
    dialog.setWindowTitle(QString::fromUtf8(kTileSizeCaption));
    auto* layout = new QFormLayout(&dialog);
    auto* width = new QSpinBox(&dialog);
    auto* height = new QSpinBox(&dialog);
    for (QSpinBox* side : {width, height})
        side->setRange(1, kMaxTileSide);
    width->setValue(initial.isEmpty() ? 8 : initial.width());
    height->setValue(initial.isEmpty() ? 8 : initial.height());
    layout->addRow(QString::fromUtf8(kTileWidthLabel), width);
    layout->addRow(QString::fromUtf8(kTileHeightLabel), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return QSize(width->value(), height->value());
}

SaveChoice QtUserPrompts::AskSaveChanges(QWidget& owner, const QString& name)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMainWindowCaption),
                    QString::fromUtf8(kAskSaveChanges).arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &owner);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec())
    {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

bool QtUserPrompts::AskReloadChanged(QWidget& owner, const QString& name)
{
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kCaptionFileChanged),
                    QString::fromUtf8(kAskReloadChanged).arg(name),
                    QMessageBox::Yes | QMessageBox::No, &owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtUserPrompts::ChoosePreferences(QWidget& owner, QString& editorCommand)
{
    QDialog dialog(&owner);
    dialog.setWindowTitle(QString::fromUtf8(kPreferencesCaption));
    auto* layout = new QFormLayout(&dialog);
    auto* command = new QLineEdit(editorCommand, &dialog);
    command->setMinimumWidth(command->fontMetrics().averageCharWidth() * 40);
    layout->addRow(QString::fromUtf8(kEditorCommandLabel), command);
    auto* hint = new QLabel(QString::fromUtf8(kEditorCommandHint), &dialog);
    hint->setWordWrap(true);
    layout->addRow(hint);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    editorCommand = command->text().trimmed();
    return true;
}
