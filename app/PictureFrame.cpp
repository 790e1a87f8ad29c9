#include "app/PictureFrame.h"

#include <QPainter>

CPictureFrame::CPictureFrame(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CPictureFrame::paintEvent(QPaintEvent* /*event*/)
{
    // Filled one-pixel strips rather than a pen, so the outline covers whole
    // device pixels at any scale.
    QPainter painter(this);
    const int right = width() - 1;
    const int bottom = height() - 1;
    painter.fillRect(0, 0, width(), 1, Qt::black);
    painter.fillRect(0, bottom, width(), 1, Qt::black);
    painter.fillRect(0, 0, 1, height(), Qt::black);
    painter.fillRect(right, 0, 1, height(), Qt::black);
}
