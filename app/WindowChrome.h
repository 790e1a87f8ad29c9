#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <vector>

// Pieces of the window that the window system owns: the system menu and
// the picture a minimized window shows. Qt on X11 and Wayland gives the
// program neither, so the window keeps only their logic, which holds
// wherever a platform offers them.

struct SystemMenuItem
{
    unsigned id = 0; // 0 for a separator
    QString text;
};
using SystemMenu = std::vector<SystemMenuItem>;

// Adds a separator and the About item (IDM_ABOUTBOX) when the window has a
// system menu and the item's text is not empty.
void AppendAboutItem(SystemMenu* menu, const QString& text);

// Where a minimized window draws its icon in a client area: centred, the
// odd pixel going to the right and bottom.
QPoint MinimizedIconOrigin(QSize clientArea, QSize icon);
