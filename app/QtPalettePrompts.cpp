// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColorEditDlg.h"
#include "app/PaletteChoiceDlgs.h"
#include "app/QtUserPrompts.h"

bool QtUserPrompts::RunColorEditor(QWidget& /*owner*/, CColorEditDlg& editor)
{
    return editor.exec() == QDialog::Accepted;
}

bool QtUserPrompts::ChoosePalettePair(QWidget& owner, PalettePair& pair)
{
    CPalettePairDlg dialog(pair, &owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    pair = dialog.Pair();
    return true;
}

bool QtUserPrompts::ChooseNewSheet(QWidget& owner, NewSheetChoice& choice)
{
    CNewSheetDlg dialog(choice, &owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.Choice();
    return true;
}
