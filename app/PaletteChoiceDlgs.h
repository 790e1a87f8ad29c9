// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PaletteChoices.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

// The two rows of Swap Rows, the two indices of Swap Indices (with the
// choice of the pixels following) or of Gradient.
class CPalettePairDlg : public QDialog
{
    Q_OBJECT

public:
    CPalettePairDlg(const PalettePair& pair, QWidget* parent = nullptr);
    PalettePair Pair() const;

private:
    PalettePair m_pair;
    QComboBox* m_pFirst = nullptr;
    QComboBox* m_pSecond = nullptr;
    QRadioButton* m_pWithPixels = nullptr;
};

// File > New: the layout and where the colours come from.
class CNewSheetDlg : public QDialog
{
    Q_OBJECT

public:
    CNewSheetDlg(const NewSheetChoice& choice, QWidget* parent = nullptr);
    NewSheetChoice Choice() const;

private:
    NewSheetChoice m_choice;
    QRadioButton* m_pSp2 = nullptr;
    QRadioButton* m_pCurrent = nullptr;
    QRadioButton* m_pFile = nullptr;
};
