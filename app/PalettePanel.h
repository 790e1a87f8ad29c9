// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/PixelInspect.h"

#include <QWidget>

class CSpriteImage;

// The source's whole colour table as sixteen rows of sixteen swatches, the
// chosen palette row outlined. A click chooses a row; Up and Down step
// through the rows, Left and Right through the swatches of the row. The
// swatch under the pointer (or the keyboard's) is reported, with how many
// pixels of the picture show it.
class CPalettePanel : public QWidget
{
    Q_OBJECT

public:
    explicit CPalettePanel(QWidget* parent = nullptr);

    // The panel keeps the pointers, as the sheet view does.
    void SetPicture(const CSpriteImage* source, const CSpriteImage* display, int paletteRow);
    void SetRow(int paletteRow);
    // The picture's pixels changed: how many show each entry, again.
    void PixelsChanged();
    // The side of one swatch, in device-independent pixels.
    void SetSwatchSize(int side);
    int ChosenRow() const { return m_nRow; }
    // The source entry at a position, or -1.
    int EntryAt(QPoint at) const;
    // How many pixels of the picture show source entry `entry`.
    std::int64_t PixelsShowing(int entry) const;

    QSize sizeHint() const override;

signals:
    void RowChosen(int row);
    // A swatch pressed with the left or the right mouse button: the entries
    // of the shown row are what the drawing tools draw with.
    void EntryChosen(int entry, Qt::MouseButton button);
    // The entry under the pointer or the keyboard's swatch; -1 for none.
    void EntryHovered(int entry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QRect SwatchRect(int entry) const;
    void Hover(int entry);

    const CSpriteImage* m_pSource = nullptr;
    const CSpriteImage* m_pDisplay = nullptr;
    int m_nRow = 0;
    int m_nSide = 8;
    int m_nHovered = -1;
    int m_nColumn = 0; // the keyboard's swatch in the chosen row
    IndexCounts m_counts{};
};
