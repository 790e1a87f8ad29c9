// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PaletteChoiceDlgs.h"

#include "res/Strings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

struct PairTexts
{
    const char* caption;
    const char* first;
    const char* second;
};

PairTexts TextsOf(PalettePairKind kind)
{
    switch (kind)
    {
    case PalettePairKind::SwapRows:
        return {kSwapRowsCaption, kSwapRowsFirst, kSwapRowsSecond};
    case PalettePairKind::SwapIndices:
        return {kSwapIndicesCaption, kSwapIndicesFirst, kSwapIndicesSecond};
    case PalettePairKind::Gradient:
        return {kGradientCaption, kGradientFirst, kGradientSecond};
    }
    return {};
}

// Rows by their selector names, indices by number.
QComboBox* MakeChoice(PalettePairKind kind, int chosen, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (int i = 0; i < kPaletteRowSize; ++i)
        box->addItem(kind == PalettePairKind::SwapRows ? Text(kPaletteEntries[i])
                                                       : QString::number(i));
    box->setCurrentIndex(chosen);
    return box;
}

void AddButtons(QDialog& dialog, QBoxLayout& layout)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
}
} // namespace

CPalettePairDlg::CPalettePairDlg(const PalettePair& pair, QWidget* parent)
    : QDialog(parent), m_pair(pair)
{
    const PairTexts texts = TextsOf(pair.kind);
    setWindowTitle(Text(texts.caption));
    auto* layout = new QVBoxLayout(this);
    if (pair.kind == PalettePairKind::SwapIndices)
        layout->addWidget(new QLabel(Text(kSwapIndicesHint), this));
    if (pair.kind == PalettePairKind::Gradient)
        layout->addWidget(
            new QLabel(Text(kGradientHint).arg(Text(kPaletteEntries[pair.row])), this));
    auto* form = new QFormLayout;
    m_pFirst = MakeChoice(pair.kind, pair.first, this);
    m_pSecond = MakeChoice(pair.kind, pair.second, this);
    form->addRow(Text(texts.first), m_pFirst);
    form->addRow(Text(texts.second), m_pSecond);
    layout->addLayout(form);
    if (pair.kind == PalettePairKind::SwapIndices)
    {
        auto* colorsOnly = new QRadioButton(Text(kSwapColorsOnly), this);
        m_pWithPixels = new QRadioButton(Text(kSwapWithPixels), this);
        (pair.swap == IndexSwap::ColorsAndPixels ? m_pWithPixels : colorsOnly)->setChecked(true);
        layout->addWidget(colorsOnly);
        layout->addWidget(m_pWithPixels);
    }
    AddButtons(*this, *layout);
    m_pFirst->setFocus();
}

PalettePair CPalettePairDlg::Pair() const
{
    PalettePair pair = m_pair;
    pair.first = m_pFirst->currentIndex();
    pair.second = m_pSecond->currentIndex();
    if (m_pWithPixels != nullptr)
        pair.swap = m_pWithPixels->isChecked() ? IndexSwap::ColorsAndPixels : IndexSwap::ColorsOnly;
    return pair;
}

CNewSheetDlg::CNewSheetDlg(const NewSheetChoice& choice, QWidget* parent)
    : QDialog(parent), m_choice(choice)
{
    setWindowTitle(Text(kNewSheetCaption));
    auto* layout = new QVBoxLayout(this);

    auto* layoutGroup = new QGroupBox(Text(kNewLayoutGroup), this);
    auto* layoutButtons = new QVBoxLayout(layoutGroup);
    auto* spr = new QRadioButton(Text(kNewLayoutSpr), layoutGroup);
    m_pSp2 = new QRadioButton(Text(kNewLayoutSp2), layoutGroup);
    (choice.layout == SpriteLayout::Sp2 ? m_pSp2 : spr)->setChecked(true);
    layoutButtons->addWidget(spr);
    layoutButtons->addWidget(m_pSp2);
    layout->addWidget(layoutGroup);

    auto* colorsGroup = new QGroupBox(Text(kNewColorsGroup), this);
    auto* colorButtons = new QVBoxLayout(colorsGroup);
    auto* grey = new QRadioButton(Text(kNewColorsGrey), colorsGroup);
    m_pCurrent = new QRadioButton(Text(kNewColorsCurrent), colorsGroup);
    m_pFile = new QRadioButton(Text(kNewColorsFile), colorsGroup);
    m_pCurrent->setEnabled(choice.currentAvailable);
    QRadioButton* chosen = grey;
    if (choice.colors == NewSheetColors::PaletteFile)
        chosen = m_pFile;
    else if (choice.colors == NewSheetColors::CurrentSheet && choice.currentAvailable)
        chosen = m_pCurrent;
    chosen->setChecked(true);
    for (QRadioButton* button : {grey, m_pCurrent, m_pFile})
        colorButtons->addWidget(button);
    layout->addWidget(colorsGroup);
    AddButtons(*this, *layout);
    (choice.layout == SpriteLayout::Sp2 ? m_pSp2 : spr)->setFocus();
}

NewSheetChoice CNewSheetDlg::Choice() const
{
    NewSheetChoice choice = m_choice;
    choice.layout = m_pSp2->isChecked() ? SpriteLayout::Sp2 : SpriteLayout::Spr;
    choice.colors = m_pFile->isChecked()      ? NewSheetColors::PaletteFile
                    : m_pCurrent->isChecked() ? NewSheetColors::CurrentSheet
                                              : NewSheetColors::GreyRamp;
    return choice;
}
