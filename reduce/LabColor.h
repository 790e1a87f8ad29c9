// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

// A colour as the eye tells colours apart: CIELAB under daylight (D65),
// from sRGB. Colours are compared by CIEDE2000, whose differences follow
// what people see far better than distances in RGB; a difference near 1 is
// about the smallest anyone notices.
struct LabColor
{
    float L = 0;
    float a = 0;
    float b = 0;
    float chroma = 0; // sqrt(a² + b²), kept because CIEDE2000 needs it for every pair
};

LabColor RgbToLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
LabColor LabFromLinear(float red, float green, float blue);

// Linear light (0-1) of an sRGB channel value, and back to 0-255 (clamped,
// not rounded).
float LinearOf(std::uint8_t channel);
float SrgbOfLinear(float linear);
// The inverse of LabFromLinear: linear red, green, blue, not clamped.
std::array<float, 3> LinearOfLab(const LabColor& lab);

// The colour of a sheet's 15-bit colour word as the file shows it (each
// 5-bit channel v as v × 8), from a table of all 32768 built on first use.
const LabColor& WordLab(std::uint16_t word);

// The CIEDE2000 colour difference (kL = kC = kH = 1).
float DeltaE2000(const LabColor& first, const LabColor& second);
