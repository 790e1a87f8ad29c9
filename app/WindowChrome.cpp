#include "app/WindowChrome.h"

#include "res/Resource.h"

void AppendAboutItem(SystemMenu* menu, const QString& text)
{
    if (menu == nullptr || text.isEmpty())
        return;
    menu->push_back(SystemMenuItem{});
    menu->push_back(SystemMenuItem{IDM_ABOUTBOX, text});
}

QPoint MinimizedIconOrigin(QSize clientArea, QSize icon)
{
    return QPoint((clientArea.width() - icon.width() + 1) / 2,
                  (clientArea.height() - icon.height() + 1) / 2);
}
