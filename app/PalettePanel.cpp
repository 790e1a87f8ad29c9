// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PalettePanel.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{
constexpr int kSide = kPaletteRowSize;
} // namespace

CPalettePanel::CPalettePanel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void CPalettePanel::SetPicture(const CSpriteImage* source, const CSpriteImage* display,
                               int paletteRow)
{
    m_pSource = source;
    m_pDisplay = display;
    m_nRow = paletteRow;
    m_counts = CountIndices(display);
    update();
}

void CPalettePanel::SetRow(int paletteRow)
{
    m_nRow = paletteRow;
    update();
}

void CPalettePanel::PixelsChanged()
{
    m_counts = CountIndices(m_pDisplay);
    update();
}

void CPalettePanel::SetSwatchSize(int side)
{
    m_nSide = side;
    updateGeometry();
    update();
}

int CPalettePanel::EntryAt(QPoint at) const
{
    if (at.x() < 0 || at.y() < 0)
        return -1;
    const int column = at.x() / m_nSide;
    const int row = at.y() / m_nSide;
    return column < kSide && row < kSide ? row * kSide + column : -1;
}

std::int64_t CPalettePanel::PixelsShowing(int entry) const
{
    const IndexMask shown = IndicesShowing(entry, m_nRow);
    std::int64_t pixels = 0;
    for (std::size_t index = 0; index < shown.size(); ++index)
        pixels += shown[index] ? m_counts[index] : 0;
    return pixels;
}

QSize CPalettePanel::sizeHint() const
{
    return QSize(kSide * m_nSide + 1, kSide * m_nSide + 1);
}

QRect CPalettePanel::SwatchRect(int entry) const
{
    return QRect(entry % kSide * m_nSide, entry / kSide * m_nSide, m_nSide, m_nSide);
}

void CPalettePanel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const bool enabled = isEnabled();
    for (int entry = 0; entry < kSide * kSide; ++entry)
    {
        const QRect swatch = SwatchRect(entry);
        const ColorEntry* colour = m_pSource ? m_pSource->GetColor(entry) : nullptr;
        painter.fillRect(swatch, palette().mid());
        if (colour != nullptr)
            painter.fillRect(swatch.adjusted(1, 1, 0, 0),
                             QColor(colour->red, colour->green, colour->blue));
    }
    if (!enabled)
        return;
    // The chosen row: black inside white, so it shows beside any colour.
    const QRect row(0, m_nRow * m_nSide, kSide * m_nSide + 1, m_nSide + 1);
    painter.setPen(Qt::white);
    painter.drawRect(row.adjusted(1, 1, -2, -2));
    painter.setPen(Qt::black);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
    if (hasFocus())
    {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(SwatchRect(m_nRow * kSide + m_nColumn).adjusted(1, 1, -1, -1));
    }
}

void CPalettePanel::mousePressEvent(QMouseEvent* event)
{
    const int entry = EntryAt(event->position().toPoint());
    if (entry < 0 || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton))
        return;
    if (event->button() == Qt::LeftButton)
    {
        m_nColumn = entry % kSide;
        emit RowChosen(entry / kSide);
    }
    emit EntryChosen(entry, event->button());
}

void CPalettePanel::mouseMoveEvent(QMouseEvent* event)
{
    Hover(EntryAt(event->position().toPoint()));
}

void CPalettePanel::leaveEvent(QEvent* /*event*/)
{
    Hover(-1);
}

void CPalettePanel::focusOutEvent(QFocusEvent* event)
{
    Hover(-1);
    QWidget::focusOutEvent(event);
}

void CPalettePanel::keyPressEvent(QKeyEvent* event)
{
    int row = m_nRow;
    switch (event->key())
    {
    case Qt::Key_Up:
        row = std::max(0, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(kSide - 1, row + 1);
        break;
    case Qt::Key_Left:
        m_nColumn = std::max(0, m_nColumn - 1);
        break;
    case Qt::Key_Right:
        m_nColumn = std::min(kSide - 1, m_nColumn + 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (row != m_nRow)
        emit RowChosen(row);
    Hover(m_nRow * kSide + m_nColumn);
    update();
}

void CPalettePanel::Hover(int entry)
{
    if (entry == m_nHovered)
        return;
    m_nHovered = entry;
    emit EntryHovered(entry);
}
