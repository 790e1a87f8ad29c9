// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReduceOptionsBox.h"

#include "res/Strings.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// A group of radio buttons, each with its id.
QGroupBox* AddRadios(const char* title, std::initializer_list<std::pair<const char*, int>> radios,
                     QButtonGroup*& group, QWidget* parent)
{
    auto* box = new QGroupBox(Text(title), parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    for (const auto& [text, id] : radios)
    {
        auto* radio = new QRadioButton(Text(text), box);
        group->addButton(radio, id);
        layout->addWidget(radio);
    }
    return box;
}
} // namespace

CReduceOptionsBox::CReduceOptionsBox(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pReduction = new QWidget(this);
    auto* reduction = new QHBoxLayout(m_pReduction);
    reduction->setContentsMargins(0, 0, 0, 0);
    reduction->addWidget(AddRadios(kReduceTargetGroup,
                                   {{kReduceTargetNew, int(ReduceTarget::NewColors)},
                                    {kReduceTargetFixed, int(ReduceTarget::FixedColors)},
                                    {kReduceTargetKeep, int(ReduceTarget::KeepUsedColors)}},
                                   m_pTargets, m_pReduction));
    QGroupBox* dithering = AddRadios(kReduceDitherGroup,
                                     {{kReduceDitherNone, int(Dithering::None)},
                                      {kReduceDitherOrdered, int(Dithering::Ordered)},
                                      {kReduceDitherDiffusion, int(Dithering::Diffusion)}},
                                     m_pDithering, m_pReduction);
    m_pStrength = new QSpinBox(dithering);
    m_pStrength->setRange(0, kFullStrength);
    m_pStrength->setSuffix(Text(kReducePercent));
    auto* strength = new QFormLayout;
    strength->addRow(Text(kReduceStrength), m_pStrength);
    static_cast<QVBoxLayout*>(dithering->layout())->addLayout(strength);
    reduction->addWidget(dithering);
    layout->addWidget(m_pReduction);

    m_pAlphaThreshold = new QSpinBox(this);
    m_pAlphaThreshold->setRange(kLowestAlphaThreshold, kHighestAlphaThreshold);
    auto* alpha = new QFormLayout;
    alpha->addRow(Text(kReduceAlphaThreshold), m_pAlphaThreshold);
    layout->addLayout(alpha);
    m_pAlphaCounts = new QLabel(this);
    layout->addWidget(m_pAlphaCounts);

    SetOptions(ReduceOptions());
    const auto changed = [this]
    {
        UpdateStrength();
        if (!m_bSetting)
            emit Changed();
    };
    // A radio turned off is followed by the one turned on.
    const auto chosen = [changed](int, bool on)
    {
        if (on)
            changed();
    };
    connect(m_pTargets, &QButtonGroup::idToggled, this, chosen);
    connect(m_pDithering, &QButtonGroup::idToggled, this, chosen);
    connect(m_pStrength, &QSpinBox::valueChanged, this, changed);
    connect(m_pAlphaThreshold, &QSpinBox::valueChanged, this, changed);
}

ReduceOptions CReduceOptionsBox::Options() const
{
    ReduceOptions options;
    options.target = ReduceTarget(m_pTargets->checkedId());
    options.dithering = Dithering(m_pDithering->checkedId());
    options.strength = m_pStrength->value();
    options.alphaThreshold = m_pAlphaThreshold->value();
    return options;
}

void CReduceOptionsBox::SetOptions(const ReduceOptions& options)
{
    m_bSetting = true;
    m_pTargets->button(int(options.target))->setChecked(true);
    m_pDithering->button(int(options.dithering))->setChecked(true);
    m_pStrength->setValue(options.strength);
    m_pAlphaThreshold->setValue(options.alphaThreshold);
    m_bSetting = false;
    UpdateStrength();
    emit Changed();
}

void CReduceOptionsBox::SetReductionEnabled(bool enabled)
{
    m_pReduction->setEnabled(enabled);
}

void CReduceOptionsBox::UpdateStrength()
{
    m_pStrength->setEnabled(m_pDithering->checkedId() == int(Dithering::Diffusion));
}

void CReduceOptionsBox::ShowAlphaCounts(const ReduceReport* report)
{
    const QLocale locale;
    m_pAlphaCounts->setText(report ? Text(kReduceAlphaCounts)
                                         .arg(locale.toString(qlonglong(report->madeTransparent)),
                                              locale.toString(qlonglong(report->madeOpaque)))
                                   : QString());
}

QString CReduceOptionsBox::AlphaCountsText() const
{
    return m_pAlphaCounts->text();
}
