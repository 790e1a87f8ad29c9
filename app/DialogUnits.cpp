// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace
{
constexpr int kHorizontalUnitsPerChar = 4;
constexpr int kVerticalUnitsPerChar = 8;
constexpr int kAlphabetLength = 26;

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}
} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Twice the average over 52 letters, then halved with rounding.
    return {(width / kAlphabetLength + 1) / 2, metrics.height()};
}

int DialogUnitsToPixelsX(int x, const DialogBaseUnits& units)
{
    return MulDiv(x, units.cx, kHorizontalUnitsPerChar);
}

int DialogUnitsToPixelsY(int y, const DialogBaseUnits& units)
{
    return MulDiv(y, units.cy, kVerticalUnitsPerChar);
}

QRect DialogRectToPixels(const DialogRect& rect, const DialogBaseUnits& units)
{
    return {DialogUnitsToPixelsX(rect.x, units), DialogUnitsToPixelsY(rect.y, units),
            DialogUnitsToPixelsX(rect.cx, units), DialogUnitsToPixelsY(rect.cy, units)};
}
