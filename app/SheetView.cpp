// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SheetView.h"

#include "image/SpriteImage.h"
#include "render/PixelInspect.h"
#include "render/Render.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace
{
// Room around the picture, in device-independent pixels, as the window
// always had at its top-left.
constexpr int kPictureMargin = 5;
constexpr int kScrollStep = 20;

// The surface's buffer as an image, without a copy: its words are laid out
// as 32-bit RGB.
QImage SurfaceImage(const CSurface& surface)
{
    return QImage(reinterpret_cast<const uchar*>(surface.GetBits()), surface.GetWidth(),
                  surface.GetHeight(), qsizetype(surface.GetWidth()) * 4, QImage::Format_RGB32);
}

// From here on the painter works in the viewport's device pixels, with its
// top-left on a whole device pixel even where a fractional scale put the
// widget between two.
void PaintInDevicePixels(QPainter& painter, double ratio)
{
    const QPointF origin = painter.deviceTransform().map(QPointF(0, 0));
    const QPointF shift(std::round(origin.x()) - origin.x(), std::round(origin.y()) - origin.y());
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, shift.x() / ratio, shift.y() / ratio));
}

void FillOutline(QPainter& painter, const QRect& inside)
{
    const QRect outline = inside.adjusted(-1, -1, 1, 1);
    painter.fillRect(QRect(outline.left(), outline.top(), outline.width(), 1), Qt::black);
    painter.fillRect(QRect(outline.left(), outline.bottom(), outline.width(), 1), Qt::black);
    painter.fillRect(QRect(outline.left(), outline.top(), 1, outline.height()), Qt::black);
    painter.fillRect(QRect(outline.right(), outline.top(), 1, outline.height()), Qt::black);
}

std::uint32_t SurfaceColor(const QColor& color)
{
    return MakeRgb(std::uint8_t(color.red()), std::uint8_t(color.green()),
                   std::uint8_t(color.blue()));
}

bool operator==(const PixelRect& a, const PixelRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

CSheetView::CSheetView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The view paints every viewport pixel itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateScrollBars();
}

void CSheetView::SetPicture(const CSpriteImage* source, const CSpriteImage* display, int paletteRow)
{
    // Another picture opens at its top-left; a new row keeps the place.
    const bool another = display != m_pDisplay;
    m_pSource = source;
    m_pDisplay = display;
    m_nPaletteRow = paletteRow;
    if (m_nHighlightEntry >= 0)
        m_highlight = IndicesShowing(m_nHighlightEntry, m_nPaletteRow);
    UpdateScrollBars();
    if (another)
    {
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
    }
    PictureChanged();
}

void CSheetView::SetPaletteRow(int paletteRow)
{
    m_nPaletteRow = paletteRow;
    if (m_nHighlightEntry >= 0)
        m_highlight = IndicesShowing(m_nHighlightEntry, m_nPaletteRow);
    PictureChanged();
}

void CSheetView::PixelsChanged(const QRect& /*area*/)
{
    PictureChanged();
}

void CSheetView::ColorsChanged()
{
    PictureChanged();
}

void CSheetView::ScrollToTopLeft()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

bool CSheetView::ShowsPaletteRows() const
{
    return m_pDisplay == nullptr || m_pDisplay->GetBitsPerPixel() == 8;
}

void CSheetView::SetZoom(int zoom)
{
    ZoomAbout(zoom, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void CSheetView::ZoomAbout(int zoom, QPointF at)
{
    zoom = std::clamp(zoom, kZoomLevels.front(), kZoomLevels.back());
    const double ratio = Ratio();
    const QPointF device = at * ratio;
    const int margin = DeviceMargin();
    // Where the pointer is, in image pixels (fractions kept).
    const double x = (horizontalScrollBar()->value() + device.x() - margin) / DeviceZoom();
    const double y = (verticalScrollBar()->value() + device.y() - margin) / DeviceZoom();
    m_zoom = zoom;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(int(std::lround(x * DeviceZoom() + margin - device.x())));
    verticalScrollBar()->setValue(int(std::lround(y * DeviceZoom() + margin - device.y())));
    PictureChanged();
}

void CSheetView::ZoomIn()
{
    const auto next = std::upper_bound(kZoomLevels.begin(), kZoomLevels.end(), m_zoom);
    SetZoom(next != kZoomLevels.end() ? *next : kZoomLevels.back());
}

void CSheetView::ZoomOut()
{
    const auto next = std::lower_bound(kZoomLevels.begin(), kZoomLevels.end(), m_zoom);
    SetZoom(next != kZoomLevels.begin() ? *(next - 1) : kZoomLevels.front());
}

int CSheetView::FitZoom() const
{
    // Measured without scroll bars: a picture that fits needs none.
    const double ratio = Ratio();
    const QSize room = (QSizeF(maximumViewportSize()) * ratio).toSize();
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureSize(m_pDisplay, width, height);
    int fit = kZoomLevels.front();
    for (int zoom : kZoomLevels)
    {
        const std::int64_t device = std::max(1L, std::lround(zoom * ratio));
        if (device * width + 2 * DeviceMargin() <= room.width() &&
            device * height + 2 * DeviceMargin() <= room.height())
            fit = zoom;
    }
    return fit;
}

void CSheetView::SetBackground(std::optional<QColor> solid)
{
    m_solid = solid;
    PictureChanged();
}

void CSheetView::SetPixelGrid(bool shown)
{
    m_bPixelGrid = shown;
    PictureChanged();
}

void CSheetView::SetTileGrid(QSize tile)
{
    m_tile = tile;
    PictureChanged();
}

void CSheetView::SetHighlightedEntry(int entry)
{
    if (entry == m_nHighlightEntry)
        return;
    m_nHighlightEntry = entry;
    if (entry >= 0)
        m_highlight = IndicesShowing(entry, m_nPaletteRow);
    PictureChanged();
}

std::optional<QPoint> CSheetView::ImagePixelAt(QPointF at) const
{
    const QPointF device = at * Ratio();
    const double x = std::floor(device.x()) + horizontalScrollBar()->value() - DeviceMargin();
    const double y = std::floor(device.y()) + verticalScrollBar()->value() - DeviceMargin();
    const QSize picture = PictureDeviceSize();
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
        return std::nullopt;
    return QPoint(int(x) / DeviceZoom(), int(y) / DeviceZoom());
}

int CSheetView::DeviceZoom() const
{
    return std::max(1, int(std::lround(m_zoom * Ratio())));
}

double CSheetView::Ratio() const
{
    return viewport()->devicePixelRatio();
}

int CSheetView::DeviceMargin() const
{
    return int(std::lround(kPictureMargin * Ratio()));
}

QSize CSheetView::ViewportDeviceSize() const
{
    const double ratio = Ratio();
    return QSize(int(std::ceil(viewport()->width() * ratio)),
                 int(std::ceil(viewport()->height() * ratio)));
}

QSize CSheetView::PictureDeviceSize() const
{
    const PixelRect picture = ZoomedPictureRect(m_pDisplay, DeviceZoom());
    return QSize(picture.right, picture.bottom);
}

void CSheetView::UpdateScrollBars()
{
    // The scroll bars count device pixels, so every position is a whole one.
    const QSize content = PictureDeviceSize() + 2 * QSize(DeviceMargin(), DeviceMargin());
    const QSize view = ViewportDeviceSize();
    const int step = int(std::lround(kScrollStep * Ratio()));
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(step);
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(step);
}

void CSheetView::PictureChanged()
{
    m_bComposed = false;
    viewport()->update();
}

void CSheetView::ComposeIfNeeded(const PixelRect& area)
{
    if (m_bComposed && area == m_composedArea)
        return;
    ZoomedView view;
    view.zoom = DeviceZoom();
    view.area = area;
    view.checkerCell = std::max(1, int(std::lround(kCheckerCell * Ratio())));
    view.solidBackground = m_solid.has_value();
    if (m_solid)
        view.background = SurfaceColor(*m_solid);
    view.pixelGrid = m_bPixelGrid && m_zoom >= kPixelGridMinZoom;
    view.tileWidth = m_tile.width();
    view.tileHeight = m_tile.height();
    view.highlight = m_nHighlightEntry >= 0 ? &m_highlight : nullptr;
    m_bComposed = ComposeZoomed(m_pDisplay, view, m_surface, &m_composeHelper);
    m_composedArea = area;
}

void CSheetView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    PaintInDevicePixels(painter, Ratio());
    const int margin = DeviceMargin();
    const QRect picture(
        QPoint(margin - horizontalScrollBar()->value(), margin - verticalScrollBar()->value()),
        PictureDeviceSize());
    const QRect all(QPoint(0, 0), ViewportDeviceSize());
    for (const QRect& rect : QRegion(all).subtracted(QRegion(picture)))
        painter.fillRect(rect, palette().window());
    FillOutline(painter, picture);

    const QRect visible = all & picture;
    if (visible.isEmpty())
        return;
    const QRect area = visible.translated(-picture.topLeft());
    ComposeIfNeeded({area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    if (m_bComposed)
        painter.drawImage(visible.topLeft(), SurfaceImage(m_surface));
}

void CSheetView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CSheetView::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

void CSheetView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
    {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const auto level = std::lower_bound(kZoomLevels.begin(), kZoomLevels.end(), m_zoom);
    if (delta > 0 && level + 1 < kZoomLevels.end())
        ZoomAbout(*(level + 1), event->position());
    else if (delta < 0 && level != kZoomLevels.begin())
        ZoomAbout(*(level - 1), event->position());
    event->accept();
}

void CSheetView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton)
    {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_panFrom = event->position().toPoint();
    m_panScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    viewport()->setCursor(Qt::ClosedHandCursor);
}

void CSheetView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_panFrom)
    {
        const QPointF moved = (event->position() - QPointF(*m_panFrom)) * Ratio();
        horizontalScrollBar()->setValue(m_panScroll.x() - int(std::lround(moved.x())));
        verticalScrollBar()->setValue(m_panScroll.y() - int(std::lround(moved.y())));
    }
    emit PixelHovered(ImagePixelAt(event->position()));
}

void CSheetView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && m_panFrom)
    {
        m_panFrom.reset();
        viewport()->unsetCursor();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

bool CSheetView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        emit PixelHovered(std::nullopt);
    return QAbstractScrollArea::viewportEvent(event);
}
