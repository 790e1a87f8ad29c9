// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace
{
constexpr int kIconSide = 16;
constexpr int kCursorSide = 32;
constexpr int kHotSpot = 7; // the cross's centre in the cursor
constexpr int kCrossArm = 5;
constexpr int kIconInCursor = 14; // where the tool's picture starts in the cursor

void DrawTool(QPainter& painter, PixelTool tool)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    switch (tool)
    {
    case PixelTool::Pencil:
        painter.setBrush(QColor(240, 200, 60));
        painter.drawPolygon(QPolygon({{3, 10}, {10, 3}, {13, 6}, {6, 13}}));
        painter.setBrush(Qt::black);
        painter.drawPolygon(QPolygon({{3, 10}, {6, 13}, {1, 15}}));
        break;
    case PixelTool::Eraser:
        painter.setBrush(QColor(240, 150, 170));
        painter.drawPolygon(QPolygon({{2, 10}, {8, 4}, {13, 9}, {7, 15}}));
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({{2, 10}, {5, 7}, {10, 12}, {7, 15}}));
        break;
    case PixelTool::Line:
        painter.drawLine(2, 13, 13, 2);
        break;
    case PixelTool::Rectangle:
        painter.drawRect(2, 4, 11, 8);
        break;
    case PixelTool::FilledRectangle:
        painter.setBrush(QColor(60, 110, 200));
        painter.drawRect(2, 4, 11, 8);
        break;
    case PixelTool::Fill:
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({{2, 7}, {7, 2}, {12, 7}, {7, 12}}));
        painter.setBrush(QColor(60, 110, 200));
        painter.drawPolygon(QPolygon({{2, 7}, {12, 7}, {7, 12}}));
        painter.drawRect(13, 9, 1, 4);
        break;
    case PixelTool::Picker:
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(3, 12, 10, 5);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::black);
        painter.drawEllipse(10, 1, 4, 4);
        break;
    case PixelTool::Select:
    {
        QPen dashes(Qt::black, 1, Qt::CustomDashLine);
        dashes.setDashPattern({2, 2});
        painter.setPen(dashes);
        painter.drawRect(1, 3, 13, 10);
        break;
    }
    }
}

QPixmap ToolPicture(PixelTool tool)
{
    QPixmap picture(kIconSide, kIconSide);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    DrawTool(painter, tool);
    return picture;
}
} // namespace

QIcon ToolIcon(PixelTool tool)
{
    return QIcon(ToolPicture(tool));
}

QCursor ToolCursor(PixelTool tool)
{
    QPixmap cursor(kCursorSide, kCursorSide);
    cursor.fill(Qt::transparent);
    QPainter painter(&cursor);
    // A black cross in a white rim shows on any colour.
    for (const auto& [pen, colour] : {std::pair{3, Qt::white}, std::pair{1, Qt::black}})
    {
        painter.setPen(QPen(colour, pen));
        painter.drawLine(kHotSpot - kCrossArm, kHotSpot, kHotSpot - 2, kHotSpot);
        painter.drawLine(kHotSpot + 2, kHotSpot, kHotSpot + kCrossArm, kHotSpot);
        painter.drawLine(kHotSpot, kHotSpot - kCrossArm, kHotSpot, kHotSpot - 2);
        painter.drawLine(kHotSpot, kHotSpot + 2, kHotSpot, kHotSpot + kCrossArm);
    }
    painter.drawPixmap(kIconInCursor, kIconInCursor, ToolPicture(tool));
    painter.end();
    return QCursor(cursor, kHotSpot, kHotSpot);
}
