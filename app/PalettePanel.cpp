// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PalettePanel.h"

#include "document/PaletteText.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace
{
constexpr int kSide = kPaletteRowSize;
const QColor kTransparentLight(192, 192, 192);
const QColor kTransparentDark(255, 255, 255);

bool IsCopyKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Copy);
}

bool IsPasteKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Paste);
}

bool IsMenuKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Menu ||
           (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
}
} // namespace

CPalettePanel::CPalettePanel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
}

void CPalettePanel::SetPicture(const CSpriteImage* source, const CSpriteImage* display,
                               int paletteRow)
{
    m_pSource = source;
    m_pDisplay = display;
    m_nRow = paletteRow;
    m_nLifted = -1;
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

int CPalettePanel::CurrentEntry() const
{
    return m_nRow * kSide + m_nColumn;
}

int CPalettePanel::EntryAt(QPoint at) const
{
    if (at.x() < 0 || at.y() < 0)
        return -1;
    const int column = at.x() / m_nSide;
    const int row = at.y() / m_nSide;
    return column < kSide && row < kSide ? row * kSide + column : -1;
}

QPoint CPalettePanel::SwatchCenter(int entry) const
{
    return SwatchRect(entry).center();
}

std::int64_t CPalettePanel::PixelsShowing(int entry) const
{
    const IndexMask shown = IndicesShowing(entry, m_nRow);
    std::int64_t pixels = 0;
    for (std::size_t index = 0; index < shown.size(); ++index)
        pixels += shown[index] ? m_counts[index] : 0;
    return pixels;
}

QMimeData* CPalettePanel::SwatchMimeData(int entry) const
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kSwatchMimeType), QByteArray::number(entry));
    // Dropped on another program, a swatch is its colour's text.
    if (const ColorEntry* colour = m_pSource ? m_pSource->GetColor(entry) : nullptr)
        data->setText(QString::fromStdString(ColorText(*colour)));
    return data;
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
    for (int entry = 0; entry < kSide * kSide; ++entry)
    {
        const QRect swatch = SwatchRect(entry);
        const ColorEntry* colour = m_pSource ? m_pSource->GetColor(entry) : nullptr;
        painter.fillRect(swatch, palette().mid());
        if (colour != nullptr)
            painter.fillRect(swatch.adjusted(1, 1, 0, 0),
                             QColor(colour->red, colour->green, colour->blue));
    }
    if (isEnabled())
        PaintMarks(painter);
}

void CPalettePanel::PaintMarks(QPainter& painter)
{
    // Entry 0 of each row is drawn transparent: a corner of checkerboard.
    const int corner = std::max(2, m_nSide / 2);
    for (int row = 0; row < kSide; ++row)
    {
        const QRect swatch = SwatchRect(row * kSide);
        const QPoint end = swatch.bottomRight() + QPoint(1, 1);
        const QPolygon triangle{end, end - QPoint(corner, 0), end - QPoint(0, corner)};
        painter.setPen(Qt::NoPen);
        painter.setBrush(kTransparentDark);
        painter.drawPolygon(triangle);
        painter.fillRect(QRect(end - QPoint(corner / 2, corner / 2), QSize(corner / 2, corner / 2)),
                         kTransparentLight);
    }
    painter.setBrush(Qt::NoBrush);
    // The chosen row: black inside white, so it shows beside any colour.
    const QRect row(0, m_nRow * m_nSide, kSide * m_nSide + 1, m_nSide + 1);
    painter.setPen(Qt::white);
    painter.drawRect(row.adjusted(1, 1, -2, -2));
    painter.setPen(Qt::black);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
    if (m_nLifted >= 0)
    {
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(SwatchRect(m_nLifted).adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(SwatchRect(m_nLifted).adjusted(1, 1, -1, -1));
    }
    if (hasFocus())
    {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(SwatchRect(CurrentEntry()).adjusted(1, 1, -1, -1));
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
        m_nPressed = entry;
        m_pressedAt = event->position().toPoint();
        emit RowChosen(entry / kSide);
    }
    emit EntryChosen(entry, event->button());
    if (event->button() == Qt::RightButton)
        emit MenuRequested(entry, event->globalPosition().toPoint());
}

void CPalettePanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    Hover(EntryAt(at));
    if (!(event->buttons() & Qt::LeftButton) || m_nPressed < 0 ||
        (at - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
        return;
    const int dragged = std::exchange(m_nPressed, -1);
    auto* drag = new QDrag(this);
    drag->setMimeData(SwatchMimeData(dragged));
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void CPalettePanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int entry = EntryAt(event->position().toPoint());
    if (entry >= 0 && event->button() == Qt::LeftButton)
        emit EditRequested(entry);
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

bool CPalettePanel::event(QEvent* event)
{
    // Copy and Paste of a colour take their keys before the window's
    // shortcuts while the panel has the focus.
    if (event->type() == QEvent::ShortcutOverride)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsCopyKey(key) || IsPasteKey(key) || (key->key() == Qt::Key_Escape && m_nLifted >= 0))
        {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void CPalettePanel::keyPressEvent(QKeyEvent* event)
{
    if (IsCopyKey(event))
        emit CopyRequested(CurrentEntry());
    else if (IsPasteKey(event))
        emit PasteRequested(CurrentEntry());
    else if (IsMenuKey(event))
        emit MenuRequested(CurrentEntry(), mapToGlobal(SwatchCenter(CurrentEntry())));
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit EditRequested(CurrentEntry());
    else if (event->key() == Qt::Key_Space)
        LiftOrDrop(event->modifiers() & Qt::ControlModifier);
    else if (event->key() == Qt::Key_Escape && m_nLifted >= 0)
        m_nLifted = -1;
    else if (!MoveByKey(event->key()))
    {
        QWidget::keyPressEvent(event);
        return;
    }
    Hover(CurrentEntry());
    update();
}

bool CPalettePanel::MoveByKey(int key)
{
    int row = m_nRow;
    switch (key)
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
    case Qt::Key_Home:
        m_nColumn = 0;
        break;
    case Qt::Key_End:
        m_nColumn = kSide - 1;
        break;
    default:
        return false;
    }
    if (row != m_nRow)
        emit RowChosen(row);
    return true;
}

void CPalettePanel::LiftOrDrop(bool copy)
{
    if (m_nLifted < 0)
    {
        m_nLifted = CurrentEntry();
        return;
    }
    const int from = std::exchange(m_nLifted, -1);
    if (from != CurrentEntry())
        emit SwatchDropped(from, CurrentEntry(), copy);
}

void CPalettePanel::contextMenuEvent(QContextMenuEvent* event)
{
    // A right press has opened the menu already.
    if (event->reason() != QContextMenuEvent::Mouse)
        emit MenuRequested(CurrentEntry(), mapToGlobal(SwatchCenter(CurrentEntry())));
}

int CPalettePanel::DraggedEntry(const QMimeData* data) const
{
    const QString type = QString::fromLatin1(kSwatchMimeType);
    if (data == nullptr || !data->hasFormat(type))
        return -1;
    bool number = false;
    const int entry = data->data(type).toInt(&number);
    return number && entry >= 0 && entry < kSide * kSide ? entry : -1;
}

void CPalettePanel::dragEnterEvent(QDragEnterEvent* event)
{
    if (isEnabled() && DraggedEntry(event->mimeData()) >= 0)
        event->acceptProposedAction();
}

void CPalettePanel::dragMoveEvent(QDragMoveEvent* event)
{
    const int to = EntryAt(event->position().toPoint());
    if (to < 0 || DraggedEntry(event->mimeData()) < 0)
    {
        event->ignore();
        return;
    }
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction
                                                                    : Qt::MoveAction);
    event->accept(SwatchRect(to));
}

void CPalettePanel::dropEvent(QDropEvent* event)
{
    const int from = DraggedEntry(event->mimeData());
    const int to = EntryAt(event->position().toPoint());
    if (from < 0 || to < 0)
        return;
    const bool copy = event->modifiers() & Qt::ControlModifier;
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    if (from != to)
        emit SwatchDropped(from, to, copy);
}

void CPalettePanel::Hover(int entry)
{
    if (entry == m_nHovered)
        return;
    m_nHovered = entry;
    emit EntryHovered(entry);
}
