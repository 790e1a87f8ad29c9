// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColorwaysDlg.h"
#include "app/QtUserPrompts.h"
#include "app/ReduceColorsDlg.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

QStringList QtUserPrompts::ChooseFiles(QWidget& owner, const FileChooser& chooser,
                                       const ChooserStart& start)
{
    QFileDialog dialog(&owner);
    dialog.setWindowTitle(QString::fromUtf8(chooser.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(ToQtNameFilters(FilterOf(chooser).c_str()));
    if (!start.folder.isEmpty())
        dialog.setDirectory(start.folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

bool QtUserPrompts::ShowMessageOffering(QWidget& owner, const QString& text, const QString& caption,
                                        MessageIcon icon, const QString& informative,
                                        const QString& offer)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    caption, text, QMessageBox::Ok, &owner);
    box.setInformativeText(informative);
    QPushButton* offered = box.addButton(offer, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == offered;
}

bool QtUserPrompts::RunReduceColors(QWidget& /*owner*/, CReduceColorsDlg& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

bool QtUserPrompts::RunColorways(QWidget& /*owner*/, CColorwaysDlg& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}
