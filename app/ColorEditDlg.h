// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/ColorEntry.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;

// One colour of the sheet's table in the 15 bits its file holds: red,
// green and blue from 0 to 31 as sliders and spin boxes, and a hex field
// that takes #RRGGBB, rounds it down to a colour word and shows what it
// became. The colour word, the colour as the sheet shows it (#F800F8) and
// the old colour beside the new one are shown, so what is picked is what
// a Save writes. Every change is told at once, for a live preview.
class CColorEditDlg : public QDialog
{
    Q_OBJECT

public:
    // rowName names the entry's palette row ("Sprite #3").
    CColorEditDlg(int entry, const ColorEntry& color, const QString& rowName,
                  QWidget* parent = nullptr);

    int Entry() const { return m_nEntry; }
    // The colour picked, as a colour word holds it.
    ColorEntry Color() const;
    std::uint16_t ColorWord() const;
    // The three 5-bit channels.
    void SetChannels(int red, int green, int blue);
    // The hex field's text, taken as Enter in the field takes it.
    void EnterHex(const QString& text);

    // What the dialog shows: the colour word ("0x7C1F"), the colour as the
    // sheet shows it ("#F800F8") and the note under the hex field.
    QString WordText() const;
    QString ShownText() const;
    QString NoteText() const;
    QSpinBox& ChannelBox(int channel) const { return *m_channelBoxes[std::size_t(channel)]; }
    QLineEdit& HexField() const { return *m_pHex; }

signals:
    void ColorChanged(const ColorEntry& color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls(int entry, const QString& rowName);
    void OnChannelChanged(int channel, int value);
    void ShowColor();

    std::array<QSlider*, 3> m_channelSliders{};
    std::array<QSpinBox*, 3> m_channelBoxes{};
    QLineEdit* m_pHex = nullptr;
    QLabel* m_pNote = nullptr;
    QLabel* m_pWord = nullptr;
    QLabel* m_pShown = nullptr;
    QLabel* m_pOldSwatch = nullptr;
    QLabel* m_pNewSwatch = nullptr;
    int m_nEntry;
    std::array<int, 3> m_channels{};
    ColorEntry m_old;
};
