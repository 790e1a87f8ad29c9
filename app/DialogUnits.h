// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "res/DialogTemplates.h"

#include <QRect>

class QFont;

// The units a dialog layout is measured in: the dialog font's average
// character width and its height, in pixels.
struct DialogBaseUnits
{
    int cx;
    int cy;
};

// Measures the font as the dialog framework does: the width of the 52
// letters A-Z a-z averaged and rounded, and the full character height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// A quarter of the average width per horizontal unit and an eighth of the
// height per vertical unit, rounded to the nearest pixel.
int DialogUnitsToPixelsX(int x, const DialogBaseUnits& units);
int DialogUnitsToPixelsY(int y, const DialogBaseUnits& units);
QRect DialogRectToPixels(const DialogRect& rect, const DialogBaseUnits& units);
