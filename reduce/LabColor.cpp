// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduce/LabColor.h"

#include "image/ColorWord.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace
{

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kDegree = kPi / 180;
constexpr std::int32_t kWordCount = 1 << 15;
// The angles in CIEDE2000's hue weighting T.
const float kCos30 = std::cos(30 * kDegree), kSin30 = std::sin(30 * kDegree);
const float kCos6 = std::cos(6 * kDegree), kSin6 = std::sin(6 * kDegree);
const float kCos63 = std::cos(63 * kDegree), kSin63 = std::sin(63 * kDegree);
const float kCos275 = std::cos(275 * kDegree), kSin275 = std::sin(275 * kDegree);

// D65 white in XYZ, and the sRGB primaries' matrix to XYZ.
constexpr float kWhiteX = 0.95047f;
constexpr float kWhiteZ = 1.08883f;
constexpr float kToXyz[3][3] = {{0.4124564f, 0.3575761f, 0.1804375f},
                                {0.2126729f, 0.7151522f, 0.0721750f},
                                {0.0193339f, 0.1191920f, 0.9503041f}};

// CIELAB's cube root, with its straight segment near black.
float LabCurve(float t)
{
    constexpr float kEpsilon = 216.0f / 24389.0f;
    constexpr float kSlope = 24389.0f / 27.0f / 116.0f;
    return t > kEpsilon ? std::cbrt(t) : kSlope * t + 16.0f / 116.0f;
}

std::array<float, 256> MakeLinearTable()
{
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i)
    {
        const double c = i / 255.0;
        table[std::size_t(i)] =
            float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return table;
}

const std::array<float, 256>& LinearTable()
{
    static const std::array<float, 256> table = MakeLinearTable();
    return table;
}

std::vector<LabColor> MakeWordTable()
{
    std::vector<LabColor> table(kWordCount);
    for (std::int32_t word = 0; word < kWordCount; ++word)
    {
        const ColorEntry shown = ColorWordToEntry(std::uint16_t(word));
        table[std::size_t(word)] = RgbToLab(shown.red, shown.green, shown.blue);
    }
    return table;
}

// The factor by which CIEDE2000 weighs chroma against 25⁷.
float ChromaWeight(float chroma)
{
    constexpr float k25To7 = 6103515625.0f;
    const float c2 = chroma * chroma;
    const float c7 = c2 * c2 * c2 * chroma;
    return std::sqrt(c7 / (c7 + k25To7));
}

// CIEDE2000's turn of the chroma-hue axes in the blue, 30° × exp(-((h -
// 275°) / 25°)²) for the mean hue h. Beyond a quarter turn from 275° it is
// below 0.0001° and left out, which spares an arctangent for half the hues.
float BlueRotation(float cosMean, float sinMean)
{
    const float along = cosMean * kCos275 + sinMean * kSin275;
    if (along <= 0)
        return 0;
    const float offset = std::atan2(sinMean * kCos275 - cosMean * kSin275, along) / (25 * kDegree);
    return 30 * kDegree * std::exp(-offset * offset);
}

} // namespace

float LinearOf(std::uint8_t channel)
{
    return LinearTable()[channel];
}

float SrgbOfLinear(float linear)
{
    const float c = linear <= 0.0031308f
                        ? 12.92f * linear
                        : 1.055f * std::pow(std::max(linear, 0.0f), 1 / 2.4f) - 0.055f;
    return std::clamp(c * 255, 0.0f, 255.0f);
}

LabColor LabFromLinear(float red, float green, float blue)
{
    const float x = kToXyz[0][0] * red + kToXyz[0][1] * green + kToXyz[0][2] * blue;
    const float y = kToXyz[1][0] * red + kToXyz[1][1] * green + kToXyz[1][2] * blue;
    const float z = kToXyz[2][0] * red + kToXyz[2][1] * green + kToXyz[2][2] * blue;
    const float fx = LabCurve(x / kWhiteX);
    const float fy = LabCurve(y);
    const float fz = LabCurve(z / kWhiteZ);
    LabColor lab;
    lab.L = 116 * fy - 16;
    lab.a = 500 * (fx - fy);
    lab.b = 200 * (fy - fz);
    lab.chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    return lab;
}

std::array<float, 3> LinearOfLab(const LabColor& lab)
{
    constexpr float kDelta = 6.0f / 29.0f;
    const auto inverse = [](float f)
    { return f > kDelta ? f * f * f : 3 * kDelta * kDelta * (f - 4.0f / 29.0f); };
    const float fy = (lab.L + 16) / 116;
    const float x = kWhiteX * inverse(fy + lab.a / 500);
    const float y = inverse(fy);
    const float z = kWhiteZ * inverse(fy - lab.b / 200);
    return {3.2404542f * x - 1.5371385f * y - 0.4985314f * z,
            -0.9692660f * x + 1.8760108f * y + 0.0415560f * z,
            0.0556434f * x - 0.2040259f * y + 1.0572252f * z};
}

LabColor RgbToLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const std::array<float, 256>& linear = LinearTable();
    return LabFromLinear(linear[red], linear[green], linear[blue]);
}

const LabColor& WordLab(std::uint16_t word)
{
    static const std::vector<LabColor> table = MakeWordTable();
    return table[word & (kWordCount - 1)];
}

// Hues are handled as unit vectors rather than angles: the hue difference
// is the chord between them and the mean hue the direction of their sum,
// which is the mean angle CIEDE2000 defines, taken the short way round. Equal
// colours thus differ by exactly 0, and at most one arctangent is needed.
float DeltaE2000(const LabColor& first, const LabColor& second)
{
    const float g = 0.5f * (1 - ChromaWeight(0.5f * (first.chroma + second.chroma)));
    const float a1 = (1 + g) * first.a;
    const float a2 = (1 + g) * second.a;
    const float c1 = std::sqrt(a1 * a1 + first.b * first.b);
    const float c2 = std::sqrt(a2 * a2 + second.b * second.b);

    float dH = 0;
    float cosMean = 1, sinMean = 0;
    if (c1 > 0 && c2 > 0)
    {
        const float u1a = a1 / c1, u1b = first.b / c1;
        const float u2a = a2 / c2, u2b = second.b / c2;
        const float chord =
            std::sqrt((u2a - u1a) * (u2a - u1a) + (u2b - u1b) * (u2b - u1b)); // 2 sin(Δh / 2)
        dH = std::copysign(std::sqrt(c1 * c2) * chord, u1a * u2b - u1b * u2a);
        cosMean = u1a + u2a;
        sinMean = u1b + u2b;
        if (cosMean == 0 && sinMean == 0)
        {
            // Opposite hues: the mean is a quarter turn on from the lower one.
            const bool firstLower = first.b > 0 || (first.b == 0 && a1 > 0);
            cosMean = firstLower ? -u1b : -u2b;
            sinMean = firstLower ? u1a : u2a;
        }
    }
    else if (c1 > 0 || c2 > 0)
    {
        // Against a grey the mean hue is the other colour's.
        cosMean = a1 + a2;
        sinMean = first.b + second.b;
    }
    const float length = std::sqrt(cosMean * cosMean + sinMean * sinMean);
    const float cos1 = cosMean / length;
    const float sin1 = sinMean / length;
    // T's four cosines from the mean hue's sine and cosine.
    const float cos2 = 2 * cos1 * cos1 - 1;
    const float sin2 = 2 * sin1 * cos1;
    const float cos3 = cos2 * cos1 - sin2 * sin1;
    const float sin3 = sin2 * cos1 + cos2 * sin1;
    const float cos4 = 2 * cos2 * cos2 - 1;
    const float sin4 = 2 * sin2 * cos2;
    const float t = 1 - 0.17f * (cos1 * kCos30 + sin1 * kSin30) + 0.24f * cos2 +
                    0.32f * (cos3 * kCos6 - sin3 * kSin6) - 0.20f * (cos4 * kCos63 + sin4 * kSin63);

    const float lMean = 0.5f * (first.L + second.L) - 50;
    const float cMean = 0.5f * (c1 + c2);
    const float sl = 1 + 0.015f * lMean * lMean / std::sqrt(20 + lMean * lMean);
    const float sc = 1 + 0.045f * cMean;
    const float sh = 1 + 0.015f * cMean * t;
    const float rt = -std::sin(2 * BlueRotation(cos1, sin1)) * 2 * ChromaWeight(cMean);

    const float l = (second.L - first.L) / sl;
    const float c = (c2 - c1) / sc;
    const float h = dH / sh;
    return std::sqrt(std::max(0.0f, l * l + c * c + h * h + rt * c * h));
}
