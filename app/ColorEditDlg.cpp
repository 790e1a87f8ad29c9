// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ColorEditDlg.h"

#include "document/PaletteText.h"
#include "formats/SpriteFile.h"
#include "res/Strings.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace
{
constexpr int kChannelMax = 31;
constexpr int kFieldShift = 3; // a 5-bit channel in bits 3-7 of a byte
constexpr int kSwatchWidth = 64;
constexpr int kSwatchHeight = 32;

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

QString StdText(const std::string& text)
{
    return QString::fromStdString(text);
}

void Paint(QLabel& swatch, const ColorEntry& color)
{
    swatch.setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;")
                             .arg(StdText(ColorText(color))));
}
} // namespace

CColorEditDlg::CColorEditDlg(int entry, const ColorEntry& color, const QString& rowName,
                             QWidget* parent)
    : QDialog(parent), m_nEntry(entry), m_old(RoundToColorWord(color))
{
    m_channels = {m_old.red >> kFieldShift, m_old.green >> kFieldShift, m_old.blue >> kFieldShift};
    CreateControls(entry, rowName);
    Paint(*m_pOldSwatch, color);
    ShowColor();
}

void CColorEditDlg::CreateControls(int entry, const QString& rowName)
{
    setWindowTitle(Text(kColorEditorCaption));
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    const int index = entry % kPaletteRowSize;
    grid->addWidget(new QLabel(Text(kColorEditorEntry).arg(rowName).arg(index).arg(entry), this), 0,
                    0, 1, 3);
    for (int channel = 0; channel < 3; ++channel)
    {
        auto* slider = new QSlider(Qt::Horizontal, this);
        auto* box = new QSpinBox(this);
        slider->setRange(0, kChannelMax);
        box->setRange(0, kChannelMax);
        slider->setValue(m_channels[std::size_t(channel)]);
        box->setValue(m_channels[std::size_t(channel)]);
        auto* label = new QLabel(Text(kColorEditorChannels[channel]), this);
        label->setBuddy(box);
        grid->addWidget(label, channel + 1, 0);
        grid->addWidget(slider, channel + 1, 1);
        grid->addWidget(box, channel + 1, 2);
        connect(slider, &QSlider::valueChanged, this,
                [this, channel](int value) { OnChannelChanged(channel, value); });
        connect(box, &QSpinBox::valueChanged, this,
                [this, channel](int value) { OnChannelChanged(channel, value); });
        m_channelSliders[std::size_t(channel)] = slider;
        m_channelBoxes[std::size_t(channel)] = box;
    }
    m_pHex = new QLineEdit(this);
    m_pHex->installEventFilter(this);
    connect(m_pHex, &QLineEdit::editingFinished, this, [this] { EnterHex(m_pHex->text()); });
    auto* hexLabel = new QLabel(Text(kColorEditorHex), this);
    hexLabel->setBuddy(m_pHex);
    grid->addWidget(hexLabel, 4, 0);
    grid->addWidget(m_pHex, 4, 1, 1, 2);
    // The note takes its line from the start, so nothing moves when it shows.
    m_pNote = new QLabel(this);
    m_pNote->setMinimumHeight(m_pNote->fontMetrics().height());
    grid->addWidget(m_pNote, 5, 0, 1, 3);
    m_pWord = new QLabel(this);
    m_pShown = new QLabel(this);
    for (QLabel* value : {m_pWord, m_pShown})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(new QLabel(Text(kColorEditorWord), this), 6, 0);
    grid->addWidget(m_pWord, 6, 1, 1, 2);
    grid->addWidget(new QLabel(Text(kColorEditorShown), this), 7, 0);
    grid->addWidget(m_pShown, 7, 1, 1, 2);

    auto* swatches = new QGridLayout;
    m_pOldSwatch = new QLabel(this);
    m_pNewSwatch = new QLabel(this);
    for (QLabel* swatch : {m_pOldSwatch, m_pNewSwatch})
        swatch->setFixedSize(kSwatchWidth, kSwatchHeight);
    swatches->addWidget(new QLabel(Text(kColorEditorOld), this), 0, 0, Qt::AlignHCenter);
    swatches->addWidget(new QLabel(Text(kColorEditorNew), this), 0, 1, Qt::AlignHCenter);
    swatches->addWidget(m_pOldSwatch, 1, 0);
    swatches->addWidget(m_pNewSwatch, 1, 1);
    grid->addLayout(swatches, 8, 0, 1, 3, Qt::AlignHCenter);
    if (index == 0)
        grid->addWidget(new QLabel(Text(kColorEditorTransparent), this), 9, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 10, 0, 1, 3);
    m_channelBoxes[0]->setFocus();
}

ColorEntry CColorEditDlg::Color() const
{
    return ColorWordToEntry(ColorWord());
}

std::uint16_t CColorEditDlg::ColorWord() const
{
    return std::uint16_t(m_channels[0] | m_channels[1] << 5 | m_channels[2] << 10);
}

void CColorEditDlg::SetChannels(int red, int green, int blue)
{
    m_channels = {red, green, blue};
    for (std::size_t channel = 0; channel < 3; ++channel)
    {
        const QSignalBlocker sliderQuiet(m_channelSliders[channel]);
        const QSignalBlocker boxQuiet(m_channelBoxes[channel]);
        m_channelSliders[channel]->setValue(m_channels[channel]);
        m_channelBoxes[channel]->setValue(m_channels[channel]);
    }
    m_pNote->clear();
    ShowColor();
    emit ColorChanged(Color());
}

void CColorEditDlg::OnChannelChanged(int channel, int value)
{
    std::array<int, 3> channels = m_channels;
    channels[std::size_t(channel)] = value;
    if (channels != m_channels)
        SetChannels(channels[0], channels[1], channels[2]);
}

void CColorEditDlg::EnterHex(const QString& text)
{
    ColorEntry typed{};
    if (!ParseColorText(text.toStdString(), typed))
    {
        m_pNote->setText(Text(kColorEditorNotAColor));
        return;
    }
    const ColorEntry rounded = RoundToColorWord(typed);
    SetChannels(rounded.red >> kFieldShift, rounded.green >> kFieldShift,
                rounded.blue >> kFieldShift);
    const QString typedText = StdText(ColorText(typed));
    if (typedText != ShownText())
        m_pNote->setText(Text(kColorEditorRounded).arg(typedText, ShownText()));
}

QString CColorEditDlg::WordText() const
{
    return m_pWord->text();
}

QString CColorEditDlg::ShownText() const
{
    return m_pShown->text();
}

QString CColorEditDlg::NoteText() const
{
    return m_pNote->text();
}

void CColorEditDlg::ShowColor()
{
    const ColorEntry color = Color();
    m_pWord->setText(
        QStringLiteral("0x") +
        QString::number(ColorWord(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    m_pShown->setText(StdText(ColorText(color)));
    m_pHex->setText(ShownText());
    Paint(*m_pNewSwatch, color);
}

bool CColorEditDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a changed hex field shows what the colour became; Enter
    // again is OK.
    if (watched == m_pHex && event->type() == QEvent::KeyPress)
    {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_pHex->text() != ShownText())
        {
            EnterHex(m_pHex->text());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
