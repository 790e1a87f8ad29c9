// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/ColorTable.h"
#include "render/Surface.h"

#include <QWidget>

#include <array>

class CSpriteImage;

// View > All Rows: the sheet in each of its sixteen palette rows at once, a
// grid of thumbnails labelled "Sprite #1" to "Portrait #8", each composed
// as the sheet view composes the picture and scaled by a whole factor (2×,
// 3×, or 1/2, 1/3...) so that all of them fit the window. A view only: a
// click, or Enter on the keyboard's thumbnail, chooses that row for the
// sheet view. It follows the picture while shown and catches up when shown
// again.
class CAllRowsView : public QWidget
{
    Q_OBJECT

public:
    explicit CAllRowsView(QWidget* parent = nullptr);

    // The source image whose rows are shown; null for none. The view keeps
    // the pointer; the owner calls again before it changes or goes.
    void SetPicture(const CSpriteImage* source, int paletteRow);
    void SetPaletteRow(int row);
    void PixelsChanged();
    // Source entries first to last changed.
    void ColorsChanged(int first, int last);

    // Device pixels of a thumbnail per picture pixel: a zoom above 1, or 1
    // over a divisor above 1.
    int Zoom() const { return m_nZoom; }
    int Divisor() const { return m_nDivisor; }
    int Columns() const { return m_nColumns; }
    // Where row's thumbnail lies, in the widget's coordinates.
    QRect ThumbnailRect(int row) const;
    // The row whose thumbnail or label is at a position, or -1.
    int RowAt(QPoint at) const;
    int ChosenRow() const { return m_nRow; }
    // The thumbnail as composed, in device pixels; composes it if needed.
    QImage Thumbnail(int row);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void RowChosen(int row);
    // Shown or hidden, by the owner or by its own close box.
    void ShownChanged(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Cell
    {
        CColorTable colors; // the source's table with this row in entries 0 to 15
        CSurface surface;   // the thumbnail in device pixels
        bool composed = false;
    };

    // Everything again from the source, once shown.
    void CatchUp();
    // Row's table: the source's, with the row in entries 0 to 15.
    void ShowRowColors(int row);
    void ComposeIfNeeded(int row);
    void RecomposeAll();
    void ChooseLayout();
    QSize PictureSize() const;
    QSize ThumbnailSize() const; // device pixels
    QRect DeviceThumbnailRect(int row) const;
    double Ratio() const;
    // The first time it shows: beside its owner, where the screen has room.
    void PlaceBesideOwner();

    const CSpriteImage* m_pSource = nullptr;
    bool m_bStale = true;   // changes arrived while hidden
    bool m_bPlaced = false; // shown once, beside the main window
    // Pixels above 15 show their own entry, whatever the row.
    bool m_bHighIndices = false;
    int m_nRow = 0;
    int m_nFocus = 0;
    int m_nColumns = 4;
    int m_nZoom = 1;
    int m_nDivisor = 2;
    int m_nLabelHeight = 0; // device pixels
    int m_nGap = 0;
    QPoint m_origin; // the grid's top-left, device pixels
    std::array<Cell, 16> m_cells;
    CSurface m_full; // a thumbnail at 1× before it is shrunk
};
