// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SheetView.h"

#include "image/SpriteImage.h"
#include "render/PixelInspect.h"
#include "render/Render.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// Room around the picture, in device-independent pixels, as the window
// always had at its top-left.
constexpr int kPictureMargin = 5;
constexpr int kScrollStep = 20;
// An arrow key moves the selection one pixel, with Shift a tile's eight.
constexpr int kNudgeFar = 8;
// The marks over the picture: the pointer's pixel in black inside white,
// the selection in dashes of black over white, a floating block's over
// orange; each two device pixels wide, just outside what it marks.
constexpr int kMarkReach = 2;
constexpr int kDashLength = 4;
const QColor kFloatingMarkColor(255, 160, 0);

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

PixelRect Intersection(const PixelRect& a, const PixelRect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Two device pixels around the rectangle: the inner line in one colour,
// the outer in another, or both dashed over each other.
void DrawMark(QPainter& painter, const QRect& inside, const QColor& inner, const QColor& outer,
              bool dashed)
{
    QPen pen(outer, 1);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= kMarkReach; ++ring)
    {
        const QRect line = inside.adjusted(-ring, -ring, ring - 1, ring - 1);
        pen.setColor(ring == 1 ? inner : outer);
        painter.setPen(pen);
        painter.drawRect(line);
        if (!dashed)
            continue;
        QPen dashes(Qt::black, 1, Qt::CustomDashLine);
        dashes.setDashPattern({qreal(kDashLength), qreal(kDashLength)});
        painter.setPen(dashes);
        painter.drawRect(line);
    }
}

// The band of the given reach along each side of the rectangle.
QRegion Border(const QRect& rect, int reach)
{
    const QRect outer = rect.adjusted(-reach, -reach, reach, reach);
    const QRect inner = rect.adjusted(reach, reach, -reach, -reach);
    return inner.isEmpty() ? QRegion(outer) : QRegion(outer).subtracted(QRegion(inner));
}
} // namespace

CSheetView::CSheetView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    m_toolCursor = viewport()->cursor();
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

void CSheetView::PixelsChanged(const QRect& area)
{
    const int zoom = DeviceZoom();
    const PixelRect changed{area.left() * zoom, area.top() * zoom, (area.right() + 1) * zoom,
                            (area.bottom() + 1) * zoom};
    if (!RecomposePart(changed))
        PictureChanged();
}

bool CSheetView::RecomposePart(const PixelRect& area)
{
    if (!m_bComposed)
        return false;
    const PixelRect part = Intersection(area, m_composedArea);
    if (part.right <= part.left || part.bottom <= part.top)
        return true;
    if (!ComposeZoomed(m_pDisplay, ViewOf(part), m_patch))
        return false;
    const std::int32_t column = part.left - m_composedArea.left;
    for (std::int32_t row = 0; row < m_patch.GetHeight(); ++row)
        std::memcpy(m_surface.Row(part.top - m_composedArea.top + row) + column, m_patch.Row(row),
                    std::size_t(m_patch.GetWidth()) * sizeof(std::uint32_t));
    const QPoint origin(DeviceMargin() - horizontalScrollBar()->value(),
                        DeviceMargin() - verticalScrollBar()->value());
    UpdateDeviceRect(QRect(part.left, part.top, part.right - part.left, part.bottom - part.top)
                         .translated(origin));
    return true;
}

QRect CSheetView::DeviceRectOf(const QRect& pixels) const
{
    const int zoom = DeviceZoom();
    return QRect(DeviceMargin() - horizontalScrollBar()->value() + pixels.x() * zoom,
                 DeviceMargin() - verticalScrollBar()->value() + pixels.y() * zoom,
                 pixels.width() * zoom, pixels.height() * zoom);
}

void CSheetView::UpdateDeviceRect(const QRect& device)
{
    const double ratio = Ratio();
    // A fractional scale may put the rectangle's edge inside a logical pixel.
    viewport()->update(QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                              device.height() / ratio)
                           .toAlignedRect()
                           .adjusted(-1, -1, 1, 1));
}

void CSheetView::UpdateOverlay(const std::optional<QRect>& pixels, int reach)
{
    if (!pixels)
        return;
    for (const QRect& band : Border(DeviceRectOf(*pixels), reach))
        UpdateDeviceRect(band);
}

QPoint CSheetView::ImagePointAt(QPointF at) const
{
    const QPointF device = at * Ratio();
    const double x = std::floor(device.x()) + horizontalScrollBar()->value() - DeviceMargin();
    const double y = std::floor(device.y()) + verticalScrollBar()->value() - DeviceMargin();
    return QPoint(int(std::floor(x / DeviceZoom())), int(std::floor(y / DeviceZoom())));
}

QPoint CSheetView::FirstVisiblePixel() const
{
    const int zoom = DeviceZoom();
    const auto first = [zoom](int scrolled) { return std::max(0, (scrolled + zoom - 1) / zoom); };
    return QPoint(first(horizontalScrollBar()->value() - DeviceMargin()),
                  first(verticalScrollBar()->value() - DeviceMargin()));
}

void CSheetView::SetToolCursor(const QCursor& cursor)
{
    m_toolCursor = cursor;
    if (!m_panFrom)
        viewport()->setCursor(cursor);
}

void CSheetView::SetPointerOutline(bool shown)
{
    if (shown == m_bPointerOutline)
        return;
    m_bPointerOutline = shown;
    if (m_hovered)
        UpdateOverlay(QRect(*m_hovered, QSize(1, 1)), kMarkReach);
}

void CSheetView::SetSelection(std::optional<QRect> area, bool floating)
{
    if (area == m_selection && floating == m_bFloating)
        return;
    UpdateOverlay(m_selection, kMarkReach);
    m_selection = area;
    m_bFloating = floating;
    UpdateOverlay(m_selection, kMarkReach);
}

void CSheetView::Hover(std::optional<QPoint> pixel)
{
    if (pixel == m_hovered)
        return;
    if (m_bPointerOutline && m_hovered)
        UpdateOverlay(QRect(*m_hovered, QSize(1, 1)), kMarkReach);
    m_hovered = pixel;
    if (m_bPointerOutline && m_hovered)
        UpdateOverlay(QRect(*m_hovered, QSize(1, 1)), kMarkReach);
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
    m_bComposed = ComposeZoomed(m_pDisplay, ViewOf(area), m_surface, &m_composeHelper);
    m_composedArea = area;
}

ZoomedView CSheetView::ViewOf(const PixelRect& area) const
{
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
    return view;
}

void CSheetView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    PaintInDevicePixels(painter, Ratio());
    const double ratio = Ratio();
    const int margin = DeviceMargin();
    const QRect picture(
        QPoint(margin - horizontalScrollBar()->value(), margin - verticalScrollBar()->value()),
        PictureDeviceSize());
    const QRect all(QPoint(0, 0), ViewportDeviceSize());
    // Only what was asked for is drawn: a stroke's pixels, a moved mark.
    const QRect asked =
        all & QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio)
                  .toAlignedRect()
                  .adjusted(-1, -1, 1, 1);
    for (const QRect& rect : QRegion(asked).subtracted(QRegion(picture)))
        painter.fillRect(rect, palette().window());
    FillOutline(painter, picture);

    const QRect visible = all & picture;
    if (visible.isEmpty())
        return;
    const QRect area = visible.translated(-picture.topLeft());
    ComposeIfNeeded({area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    const QRect drawn = asked & visible;
    if (m_bComposed && !drawn.isEmpty())
        painter.drawImage(drawn.topLeft(), SurfaceImage(m_surface),
                          drawn.translated(-visible.topLeft()));
    PaintOverlays(painter);
}

void CSheetView::PaintOverlays(QPainter& painter) const
{
    if (m_selection)
        DrawMark(painter, DeviceRectOf(*m_selection), Qt::white,
                 m_bFloating ? kFloatingMarkColor : QColor(Qt::white), true);
    if (m_bPointerOutline && m_hovered)
        DrawMark(painter, DeviceRectOf(QRect(*m_hovered, QSize(1, 1))), Qt::black, Qt::white,
                 false);
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
    const Qt::MouseButton button = event->button();
    if ((button == Qt::LeftButton || button == Qt::RightButton) && !m_toolButton && !m_panFrom)
    {
        m_toolButton = button;
        emit ToolPressed(ImagePointAt(event->position()), button, event->modifiers());
        return;
    }
    if (button != Qt::MiddleButton || m_toolButton)
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
    if (m_toolButton)
        emit ToolMoved(ImagePointAt(event->position()), event->modifiers());
    const std::optional<QPoint> pixel = ImagePixelAt(event->position());
    Hover(pixel);
    emit PixelHovered(pixel);
}

void CSheetView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && m_panFrom)
    {
        m_panFrom.reset();
        viewport()->setCursor(m_toolCursor);
        return;
    }
    if (m_toolButton && event->button() == *m_toolButton)
    {
        m_toolButton.reset();
        emit ToolReleased(ImagePointAt(event->position()), event->modifiers());
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CSheetView::keyPressEvent(QKeyEvent* event)
{
    const int step = event->modifiers() & Qt::ShiftModifier ? kNudgeFar : 1;
    QPoint delta;
    switch (event->key())
    {
    case Qt::Key_Left:
        delta = QPoint(-step, 0);
        break;
    case Qt::Key_Right:
        delta = QPoint(step, 0);
        break;
    case Qt::Key_Up:
        delta = QPoint(0, -step);
        break;
    case Qt::Key_Down:
        delta = QPoint(0, step);
        break;
    default:
        break;
    }
    if (delta.isNull() || !m_selection)
    {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    emit SelectionNudged(delta);
}

bool CSheetView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
    {
        Hover(std::nullopt);
        emit PixelHovered(std::nullopt);
    }
    return QAbstractScrollArea::viewportEvent(event);
}
