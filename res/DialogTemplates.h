// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The layouts of the two windows in dialog units: x and y count quarters of
// the dialog font's average character width and eighths of its height.

struct DialogRect
{
    int x;
    int y;
    int cx;
    int cy;
};

// Main window (IDD_SPRITE_DIALOG): client area size and its controls.
inline constexpr DialogRect kMainWindowRect{0, 0, 281, 185};
inline constexpr DialogRect kPictureFrameRect{7, 7, 97, 62};
inline constexpr DialogRect kPaletteGroupRect{180, 7, 94, 29};
// The height includes the open list.
inline constexpr DialogRect kPaletteSelectorRect{185, 18, 83, 77};

// About box (IDD_ABOUTBOX).
inline constexpr DialogRect kAboutWindowRect{0, 0, 205, 59};
inline constexpr DialogRect kAboutIconRect{177, 32, 21, 20};
inline constexpr DialogRect kAboutVersionRect{7, 7, 119, 8};
inline constexpr DialogRect kAboutRightsRect{7, 14, 129, 8};
inline constexpr DialogRect kAboutLicenceRect{7, 23, 105, 8};
inline constexpr DialogRect kAboutFreeSoftwareRect{7, 35, 88, 8};
inline constexpr DialogRect kAboutNoWarrantyRect{7, 44, 88, 8};
inline constexpr DialogRect kAboutOkRect{148, 7, 50, 14};
