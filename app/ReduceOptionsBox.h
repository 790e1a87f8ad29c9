// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reduce/ReduceColors.h"

#include <QWidget>

class QButtonGroup;
class QLabel;
class QSpinBox;

// The choices of a colour reduction, shared by Reduce Colours and Import
// Colourways: what becomes of the row's colours, the dithering and its
// strength, and the alpha threshold with what it did to partial alpha.
class CReduceOptionsBox : public QWidget
{
    Q_OBJECT

public:
    explicit CReduceOptionsBox(QWidget* parent = nullptr);

    ReduceOptions Options() const;
    // As the user would choose them: Changed follows once.
    void SetOptions(const ReduceOptions& options);
    // The target and the dithering, which only a reduction uses; the alpha
    // threshold always counts.
    void SetReductionEnabled(bool enabled);
    // The pixels of partial alpha the threshold made transparent or
    // opaque; none shown without a report.
    void ShowAlphaCounts(const ReduceReport* report);
    QString AlphaCountsText() const;

signals:
    void Changed();

private:
    void UpdateStrength();

    QButtonGroup* m_pTargets = nullptr;
    QButtonGroup* m_pDithering = nullptr;
    QSpinBox* m_pStrength = nullptr;
    QSpinBox* m_pAlphaThreshold = nullptr;
    QLabel* m_pAlphaCounts = nullptr;
    QWidget* m_pReduction = nullptr;
    bool m_bSetting = false;
};
