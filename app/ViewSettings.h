// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QSize>

#include <optional>

// How the window shows the picture, kept from one run to the next in the
// user's settings (QSettings, organisation and application "tavrel").
struct ViewSettings
{
    int zoom = 1;
    std::optional<QColor> solidBackground; // none: the checkerboard
    bool pixelGrid = false;
    QSize tileGrid;   // empty: no tile grid
    QSize windowSize; // invalid: the window's opening size
};

// The largest tile side a custom tile grid takes.
inline constexpr int kMaxTileSide = 4096;

// Values that are out of range (a zoom that is no level, a tile side
// beyond kMaxTileSide) are replaced by the defaults.
ViewSettings LoadViewSettings();
void SaveViewSettings(const ViewSettings& settings);
