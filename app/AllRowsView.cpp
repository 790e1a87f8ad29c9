// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AllRowsView.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "render/PixelInspect.h"
#include "render/Render.h"
#include "render/ShrinkSurface.h"
#include "render/ZoomCompose.h"
#include "res/Strings.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kRows = kPaletteRowCount;
constexpr int kGap = 8; // device-independent pixels between thumbnails
constexpr int kMaxZoom = 4;
// Column counts tried at each scale, the squarest grid first.
constexpr int kColumnChoices[] = {4, 8, 2, 16, 1};
// The window opens with the sheet at half size, four thumbnails a line.
constexpr int kFirstDivisor = 2;
constexpr int kFirstColumns = 4;
// The smallest window still shows sheets at a quarter of their size.
constexpr int kSmallestDivisor = 4;

QImage SurfaceImage(const CSurface& surface)
{
    return QImage(reinterpret_cast<const uchar*>(surface.GetBits()), surface.GetWidth(),
                  surface.GetHeight(), qsizetype(surface.GetWidth()) * 4, QImage::Format_RGB32);
}

// A picture's size at a zoom above 1, or shrunk by a divisor.
QSize Scaled(QSize picture, int zoom, int divisor)
{
    if (zoom > 1)
        return picture * zoom;
    return QSize((picture.width() + divisor - 1) / divisor,
                 (picture.height() + divisor - 1) / divisor);
}

// The grid's size in device pixels for a thumbnail size and column count.
QSize GridSize(QSize thumbnail, int columns, int labelHeight, int gap)
{
    const int lines = kRows / columns;
    return QSize(columns * (thumbnail.width() + gap) + gap,
                 lines * (thumbnail.height() + labelHeight + gap) + gap);
}
} // namespace

CAllRowsView::CAllRowsView(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QString::fromUtf8(kAllRowsCaption));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CAllRowsView::PictureSize() const
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    ::PictureSize(m_pSource, width, height);
    return QSize(width, height);
}

double CAllRowsView::Ratio() const
{
    return devicePixelRatioF();
}

QSize CAllRowsView::sizeHint() const
{
    return GridSize(Scaled(PictureSize(), 1, kFirstDivisor), kFirstColumns,
                    fontMetrics().height() + 2, kGap);
}

QSize CAllRowsView::minimumSizeHint() const
{
    return GridSize(Scaled(PictureSize(), 1, kSmallestDivisor), kFirstColumns,
                    fontMetrics().height() + 2, kGap);
}

void CAllRowsView::SetPicture(const CSpriteImage* source, int paletteRow)
{
    m_pSource = source;
    m_nRow = paletteRow;
    m_bStale = true;
    if (isVisible())
        CatchUp();
}

void CAllRowsView::SetPaletteRow(int row)
{
    m_nRow = row;
    update();
}

void CAllRowsView::PixelsChanged()
{
    m_bStale = true;
    if (isVisible())
        CatchUp();
}

void CAllRowsView::ColorsChanged(int first, int last)
{
    if (!isVisible() || m_bStale)
    {
        m_bStale = true;
        return;
    }
    // Entries 0 to 15 of the source show in no thumbnail but the first
    // row's; those of a row show in its thumbnail, and in all of them
    // where pixels above 15 use them.
    for (int row = 0; row < kRows; ++row)
    {
        const bool ownRow = first < (row + 1) * kPaletteRowSize && last >= row * kPaletteRowSize;
        const bool anyRow = m_bHighIndices && last >= kPaletteRowSize;
        if (!ownRow && !anyRow)
            continue;
        ShowRowColors(row);
        m_cells[std::size_t(row)].composed = false;
    }
    update();
}

void CAllRowsView::CatchUp()
{
    m_bStale = false;
    const bool indexed = m_pSource != nullptr && m_pSource->GetBitsPerPixel() == 8;
    const IndexCounts counts = CountIndices(indexed ? m_pSource : nullptr);
    m_bHighIndices = std::any_of(counts.begin() + kPaletteRowSize, counts.end(),
                                 [](std::int64_t count) { return count > 0; });
    for (int row = 0; row < kRows; ++row)
        ShowRowColors(row);
    ChooseLayout();
    RecomposeAll();
}

void CAllRowsView::ShowRowColors(int row)
{
    CColorTable& colors = m_cells[std::size_t(row)].colors;
    if (m_pSource == nullptr || m_pSource->GetBitsPerPixel() != 8)
    {
        colors.SetSize(0);
        return;
    }
    colors = m_pSource->m_colorTable;
    for (int i = 0; i < kPaletteRowSize && i < colors.GetSize(); ++i)
        if (const ColorEntry* colour = m_pSource->GetColor(row * kPaletteRowSize + i))
            colors.SetAt(i, *colour);
}

void CAllRowsView::RecomposeAll()
{
    for (Cell& cell : m_cells)
        cell.composed = false;
    update();
}

void CAllRowsView::ChooseLayout()
{
    const double ratio = Ratio();
    const QSize room = (QSizeF(size()) * ratio).toSize();
    m_nGap = int(std::lround(kGap * ratio));
    m_nLabelHeight = int(std::lround((fontMetrics().height() + 2) * ratio));
    // The largest whole scale, in device pixels, at which some grid fits:
    // zooms down to 1, then divisors up; the smallest when none does.
    auto fits = [&](int zoom, int divisor, int columns)
    {
        const QSize grid =
            GridSize(Scaled(PictureSize(), zoom, divisor), columns, m_nLabelHeight, m_nGap);
        return grid.width() <= room.width() && grid.height() <= room.height();
    };
    m_nColumns = kFirstColumns;
    for (int scale = kMaxZoom; scale >= -kMaxShrinkDivisor; --scale)
    {
        if (scale == 0 || scale == -1) // both would be 1x again
            continue;
        m_nZoom = std::max(1, scale);
        m_nDivisor = std::max(1, -scale);
        const auto columns =
            std::find_if(std::begin(kColumnChoices), std::end(kColumnChoices),
                         [&](int count) { return fits(m_nZoom, m_nDivisor, count); });
        if (columns != std::end(kColumnChoices))
        {
            m_nColumns = *columns;
            break;
        }
    }
    const QSize grid = GridSize(ThumbnailSize(), m_nColumns, m_nLabelHeight, m_nGap);
    m_origin = QPoint(std::max(0, (room.width() - grid.width()) / 2),
                      std::max(0, (room.height() - grid.height()) / 2));
}

QSize CAllRowsView::ThumbnailSize() const
{
    return Scaled(PictureSize(), m_nZoom, m_nDivisor);
}

QRect CAllRowsView::DeviceThumbnailRect(int row) const
{
    const QSize thumbnail = ThumbnailSize();
    const int column = row % m_nColumns;
    const int line = row / m_nColumns;
    return QRect(m_origin + QPoint(m_nGap + column * (thumbnail.width() + m_nGap),
                                   m_nGap + line * (thumbnail.height() + m_nLabelHeight + m_nGap)),
                 thumbnail);
}

QRect CAllRowsView::ThumbnailRect(int row) const
{
    const QRect device = DeviceThumbnailRect(row);
    const double ratio = Ratio();
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                  device.height() / ratio)
        .toAlignedRect();
}

int CAllRowsView::RowAt(QPoint at) const
{
    const QPoint device = (QPointF(at) * Ratio()).toPoint();
    for (int row = 0; row < kRows; ++row)
        if (DeviceThumbnailRect(row).adjusted(0, 0, 0, m_nLabelHeight).contains(device))
            return row;
    return -1;
}

void CAllRowsView::ComposeIfNeeded(int row)
{
    Cell& cell = m_cells[std::size_t(row)];
    if (cell.composed)
        return;
    ZoomedView view;
    view.zoom = m_nZoom;
    view.checkerCell = std::max(1, int(std::lround(kCheckerCell * Ratio())));
    view.colors = cell.colors.GetSize() > 0 ? &cell.colors : nullptr;
    const QSize zoomed = PictureSize() * m_nZoom;
    view.area = {0, 0, zoomed.width(), zoomed.height()};
    if (m_nDivisor > 1)
        cell.composed = ComposeZoomed(m_pSource, view, m_full) &&
                        ShrinkSurface(m_full, m_nDivisor, cell.surface);
    else
        cell.composed = ComposeZoomed(m_pSource, view, cell.surface);
}

QImage CAllRowsView::Thumbnail(int row)
{
    ComposeIfNeeded(row);
    return SurfaceImage(m_cells[std::size_t(row)].surface).copy();
}

void CAllRowsView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const double ratio = Ratio();
    for (int row = 0; row < kRows; ++row)
    {
        ComposeIfNeeded(row);
        const Cell& cell = m_cells[std::size_t(row)];
        const QRect area = ThumbnailRect(row);
        if (cell.composed)
        {
            QImage image = SurfaceImage(cell.surface);
            image.setDevicePixelRatio(ratio);
            painter.drawImage(QPointF(DeviceThumbnailRect(row).topLeft()) / ratio, image);
        }
        // The chosen row: black inside white, as in the palette panel.
        if (row == m_nRow)
        {
            painter.setPen(Qt::white);
            painter.drawRect(area.adjusted(-2, -2, 1, 1));
            painter.setPen(Qt::black);
            painter.drawRect(area.adjusted(-3, -3, 2, 2));
        }
        QFont font = painter.font();
        font.setBold(row == m_nRow);
        painter.setFont(font);
        painter.setPen(palette().windowText().color());
        const QRect label(area.left(), area.bottom() + 1, area.width(),
                          int(std::lround(m_nLabelHeight / ratio)));
        painter.drawText(label, Qt::AlignCenter, QString::fromUtf8(kPaletteEntries[row]));
        if (hasFocus() && row == m_nFocus)
        {
            painter.setPen(QPen(palette().windowText().color(), 1, Qt::DotLine));
            painter.drawRect(label.adjusted(0, 0, -1, -1));
        }
    }
}

void CAllRowsView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int zoom = m_nZoom;
    const int divisor = m_nDivisor;
    ChooseLayout();
    if (zoom != m_nZoom || divisor != m_nDivisor)
        RecomposeAll();
}

void CAllRowsView::mousePressEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint());
    if (row < 0 || event->button() != Qt::LeftButton)
        return;
    m_nFocus = row;
    emit RowChosen(row);
}

void CAllRowsView::keyPressEvent(QKeyEvent* event)
{
    int focus = m_nFocus;
    switch (event->key())
    {
    case Qt::Key_Left:
        focus -= 1;
        break;
    case Qt::Key_Right:
        focus += 1;
        break;
    case Qt::Key_Up:
        focus -= m_nColumns;
        break;
    case Qt::Key_Down:
        focus += m_nColumns;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit RowChosen(m_nFocus);
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_nFocus = std::clamp(focus, 0, kRows - 1);
    update();
}

void CAllRowsView::PlaceBesideOwner()
{
    m_bPlaced = true;
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner == nullptr || screen() == nullptr)
        return;
    // The wider side of the owner, the thumbnails made smaller to fit it
    // where they can be.
    const QRect frame = owner->frameGeometry();
    const QRect room = screen()->availableGeometry();
    const int rightRoom = room.right() - frame.right();
    const int leftRoom = frame.left() - room.left();
    const bool right = rightRoom >= leftRoom || width() <= rightRoom;
    const int side = right ? rightRoom : leftRoom;
    if (width() > side && minimumSizeHint().width() <= side)
        resize(side, height());
    move(right ? std::min(frame.right() + 1, room.right() + 1 - width()) : frame.left() - width(),
         frame.top());
}

void CAllRowsView::showEvent(QShowEvent* event)
{
    if (!m_bPlaced)
        PlaceBesideOwner();
    QWidget::showEvent(event);
    m_nFocus = m_nRow;
    if (m_bStale)
        CatchUp();
    emit ShownChanged(true);
}

void CAllRowsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit ShownChanged(false);
}
