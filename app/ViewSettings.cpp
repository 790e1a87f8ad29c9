// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ViewSettings.h"

#include "app/SheetView.h"

#include <QSettings>

#include <algorithm>

namespace
{
bool IsTileSide(int side)
{
    return side >= 1 && side <= kMaxTileSide;
}
} // namespace

ViewSettings LoadViewSettings()
{
    QSettings store(QStringLiteral("tavrel"), QStringLiteral("tavrel"));
    ViewSettings settings;
    const int zoom = store.value(QStringLiteral("view/zoom"), 1).toInt();
    if (std::find(kZoomLevels.begin(), kZoomLevels.end(), zoom) != kZoomLevels.end())
        settings.zoom = zoom;
    const QColor background(store.value(QStringLiteral("view/background")).toString());
    if (background.isValid())
        settings.solidBackground = background;
    settings.pixelGrid = store.value(QStringLiteral("view/pixelGrid"), false).toBool();
    const QSize tile = store.value(QStringLiteral("view/tileGrid")).toSize();
    if (IsTileSide(tile.width()) && IsTileSide(tile.height()))
        settings.tileGrid = tile;
    settings.windowSize = store.value(QStringLiteral("window/size")).toSize();
    return settings;
}

void SaveViewSettings(const ViewSettings& settings)
{
    QSettings store(QStringLiteral("tavrel"), QStringLiteral("tavrel"));
    store.setValue(QStringLiteral("view/zoom"), settings.zoom);
    store.setValue(QStringLiteral("view/background"),
                   settings.solidBackground ? settings.solidBackground->name() : QString());
    store.setValue(QStringLiteral("view/pixelGrid"), settings.pixelGrid);
    store.setValue(QStringLiteral("view/tileGrid"), settings.tileGrid);
    store.setValue(QStringLiteral("window/size"), settings.windowSize);
}
