// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/Surface.h"
#include "render/ZoomCompose.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QCursor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

class CSpriteImage;

// The zoom levels the view steps through, each a whole number of image
// pixels per device-independent pixel.
inline constexpr std::array<int, 8> kZoomLevels{1, 2, 3, 4, 6, 8, 12, 16};
// The pixel grid shows from this zoom up; below it the lines would hide
// the picture.
inline constexpr int kPixelGridMinZoom = 4;

// The picture, zoomed, in a scrolled area: a margin, a black outline one
// device pixel outside the picture, the picture composed in device pixels
// (each image pixel an exact block of them, whatever the screen's scale),
// grids and the outlines of the pixels showing one palette entry.
// Only the visible part is composed, and only when what it shows changed;
// changed pixels recompose their own rectangle alone. Over the picture go
// the outline of the pixel under the pointer and the selection's marquee.
// The left and right buttons are the drawing tools', the middle one pans.
class CSheetView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit CSheetView(QWidget* parent = nullptr);

    // What the view shows: the display image over the source's palette row
    // (both may be null: then the bare checkerboard). The view keeps the
    // pointers; the owner calls again before they change or go.
    void SetPicture(const CSpriteImage* source, const CSpriteImage* display, int paletteRow);
    // The same picture in another palette row.
    void SetPaletteRow(int paletteRow);
    // The pixels in this image rectangle, or the colours, changed.
    void PixelsChanged(const QRect& area);
    void ColorsChanged();
    // A new sheet starts at its top-left.
    void ScrollToTopLeft();
    // True when palette rows mean something: no picture, or an 8-bit one.
    bool ShowsPaletteRows() const;

    int Zoom() const { return m_zoom; }
    // The zoom keeps the image pixel at the viewport's centre there.
    void SetZoom(int zoom);
    // The zoom keeps the image pixel under viewport position `at` under it.
    void ZoomAbout(int zoom, QPointF at);
    void ZoomIn();
    void ZoomOut();
    // The largest level at which the whole picture fits the viewport.
    int FitZoom() const;

    void SetBackground(std::optional<QColor> solid);
    void SetPixelGrid(bool shown);
    // An empty size hides the tile grid.
    void SetTileGrid(QSize tile);
    // Outlines the pixels that show source entry `entry`; -1 for none.
    void SetHighlightedEntry(int entry);

    // The image pixel under a viewport position, if any.
    std::optional<QPoint> ImagePixelAt(QPointF at) const;
    // The same anywhere, outside the picture too.
    QPoint ImagePointAt(QPointF at) const;
    // The top-left image pixel that shows whole in the viewport.
    QPoint FirstVisiblePixel() const;

    // The drawing tools' marks: the cursor over the picture, whether the
    // pixel under the pointer is outlined, and the selected rectangle (or
    // where a floating block lies), in image pixels.
    void SetToolCursor(const QCursor& cursor);
    void SetPointerOutline(bool shown);
    void SetSelection(std::optional<QRect> area, bool floating);
    // Device pixels per image pixel at the current zoom and screen scale.
    int DeviceZoom() const;

signals:
    // The image pixel under the pointer; nullopt when the pointer left it.
    void PixelHovered(std::optional<QPoint> pixel);
    // A tool's button pressed, the pointer moved with it held, and released,
    // at image pixels that may lie outside the picture.
    void ToolPressed(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers keys);
    void ToolMoved(QPoint pixel, Qt::KeyboardModifiers keys);
    void ToolReleased(QPoint pixel, Qt::KeyboardModifiers keys);
    // An arrow key with a selection: by one pixel, by eight with Shift.
    void SelectionNudged(QPoint delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    double Ratio() const;
    int DeviceMargin() const;
    QSize ViewportDeviceSize() const;
    QSize PictureDeviceSize() const;
    void UpdateScrollBars();
    void PictureChanged();
    ZoomedView ViewOf(const PixelRect& area) const;
    void ComposeIfNeeded(const PixelRect& area);
    // Composes the changed part of the composed area again, into the surface.
    bool RecomposePart(const PixelRect& area);
    // The device rectangle of image pixels on the viewport, and its repaint.
    QRect DeviceRectOf(const QRect& pixels) const;
    void UpdateDeviceRect(const QRect& device);
    void UpdateOverlay(const std::optional<QRect>& pixels, int reach);
    void PaintOverlays(QPainter& painter) const;
    void Hover(std::optional<QPoint> pixel);

    const CSpriteImage* m_pSource = nullptr;
    const CSpriteImage* m_pDisplay = nullptr;
    int m_nPaletteRow = 0;
    int m_zoom = 1;
    std::optional<QColor> m_solid;
    bool m_bPixelGrid = false;
    QSize m_tile;
    int m_nHighlightEntry = -1;
    IndexMask m_highlight{};

    CSurface m_surface;
    CComposeHelper m_composeHelper; // composes half of a large view beside the GUI thread
    PixelRect m_composedArea;
    bool m_bComposed = false;
    std::optional<QPoint> m_panFrom;
    QPoint m_panScroll;

    CSurface m_patch; // a recomposed part, on its way into m_surface
    bool m_bPointerOutline = false;
    std::optional<QPoint> m_hovered;
    std::optional<QRect> m_selection;
    bool m_bFloating = false;
    std::optional<Qt::MouseButton> m_toolButton;
    QCursor m_toolCursor;
};
