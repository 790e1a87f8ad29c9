// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/PixelInspect.h"

#include <QWidget>

class CSpriteImage;
class QMimeData;

// The MIME type of a swatch dragged within the panel: its entry, in decimal.
inline constexpr char kSwatchMimeType[] = "application/x-tavrel-palette-entry";

// The source's whole colour table as sixteen rows of sixteen swatches, the
// chosen palette row outlined and entry 0 of each row marked as drawn
// transparent. A click chooses a row; Up and Down step through the rows,
// Left and Right, Home and End through the swatches of the row. The swatch
// under the pointer (or the keyboard's) is reported, with how many pixels
// of the picture show it.
//
// The panel asks for palette commands and leaves them to its owner: a
// double-click or Enter asks for the colour editor, a right press or the
// Menu key (Shift+F10) for the context menu, Ctrl+C and Ctrl+V for Copy and
// Paste Colour. A swatch dragged onto another asks for their colours to be
// swapped, or with Ctrl for a copy; from the keyboard, Space lifts the
// keyboard's swatch and Space (Ctrl+Space for a copy) drops it on another,
// Escape puts it back.
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
    // The keyboard's swatch: an entry of the chosen row.
    int CurrentEntry() const;
    // The swatch Space lifted, or -1.
    int LiftedEntry() const { return m_nLifted; }
    // The source entry at a position, or -1.
    int EntryAt(QPoint at) const;
    // The centre of an entry's swatch, in the panel's coordinates.
    QPoint SwatchCenter(int entry) const;
    // How many pixels of the picture show source entry `entry`.
    std::int64_t PixelsShowing(int entry) const;
    // What a drag of the entry's swatch carries.
    QMimeData* SwatchMimeData(int entry) const;

    QSize sizeHint() const override;

signals:
    void RowChosen(int row);
    // A swatch pressed with the left or the right mouse button: the entries
    // of the shown row are what the drawing tools draw with.
    void EntryChosen(int entry, Qt::MouseButton button);
    // The entry under the pointer or the keyboard's swatch; -1 for none.
    void EntryHovered(int entry);
    // The colour editor for an entry.
    void EditRequested(int entry);
    // The context menu for an entry, at a global position.
    void MenuRequested(int entry, QPoint at);
    void CopyRequested(int entry);
    void PasteRequested(int entry);
    // A swatch dropped on another: swap their colours, or copy from onto to.
    void SwatchDropped(int from, int to, bool copy);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QRect SwatchRect(int entry) const;
    void Hover(int entry);
    // Keys that move the keyboard's swatch; false for another key.
    bool MoveByKey(int key);
    // Space and Ctrl+Space: lift the keyboard's swatch, or drop the lifted one.
    void LiftOrDrop(bool copy);
    void PaintMarks(QPainter& painter);
    int DraggedEntry(const QMimeData* data) const;

    const CSpriteImage* m_pSource = nullptr;
    const CSpriteImage* m_pDisplay = nullptr;
    int m_nRow = 0;
    int m_nSide = 8;
    int m_nHovered = -1;
    int m_nColumn = 0; // the keyboard's swatch in the chosen row
    int m_nLifted = -1;
    int m_nPressed = -1; // the swatch a left press may start to drag
    QPoint m_pressedAt;
    IndexCounts m_counts{};
};
