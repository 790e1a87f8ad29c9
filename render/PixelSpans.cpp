#include "render/PixelSpans.h"

#include "image/ColorTable.h"
#include "render/Surface.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

constexpr std::uint16_t kKeyWord16 = 0x7C1F; // red 31, green 0, blue 31
constexpr std::uint16_t kColorBits16 = 0x7FFF;
constexpr std::uint32_t kFiveBits = 31;

std::uint8_t Red(std::uint32_t color) { return std::uint8_t(color >> 16); }
std::uint8_t Green(std::uint32_t color) { return std::uint8_t(color >> 8); }
std::uint8_t Blue(std::uint32_t color) { return std::uint8_t(color); }

// A 5-bit channel spread over 8 bits: c * 8, except that full intensity
// stays full (31 gives 255, not 248).
std::uint8_t Expand5(std::uint32_t c)
{
    return std::uint8_t(c == kFiveBits ? 255 : c * 8);
}

std::uint32_t BlendPixel(const std::uint8_t* src, std::uint32_t dst)
{
    if (IsColorKey(src[0], src[1], src[2]))
        return dst;
    const std::uint8_t alpha = src[3];
    return MakeRgb(BlendChannel(Red(dst), src[0], alpha), BlendChannel(Green(dst), src[1], alpha),
                   BlendChannel(Blue(dst), src[2], alpha));
}

#if defined(__SSE2__)

// Four pixels at a time in 16-bit lanes: every product and sum of the blend
// stays below 65536, so the lanes hold the exact integer formula.
__m128i Div255Lanes(__m128i x)
{
    const __m128i one = _mm_set1_epi16(1);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}

__m128i BlendLanes(__m128i d, __m128i s, __m128i alpha, __m128i inverse)
{
    return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(d, inverse), _mm_mullo_epi16(s, alpha)));
}

// Image pixels are bytes R G B A, surface pixels words 0xFFRRGGBB (bytes
// B G R FF): each pixel splits into two 16-bit lanes, blue/red and green/alpha.
__m128i BlendFour(__m128i src, __m128i dst)
{
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i srcRedBlue = _mm_and_si128(src, lowBytes);
    const __m128i srcBlueRed = _mm_shufflehi_epi16(
        _mm_shufflelo_epi16(srcRedBlue, _MM_SHUFFLE(2, 3, 0, 1)), _MM_SHUFFLE(2, 3, 0, 1));
    const __m128i srcGreenAlpha = _mm_srli_epi16(src, 8);
    const __m128i alpha = _mm_shufflehi_epi16(
        _mm_shufflelo_epi16(srcGreenAlpha, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i inverse = _mm_sub_epi16(lowBytes, alpha);

    const __m128i blueRed = BlendLanes(_mm_and_si128(dst, lowBytes), srcBlueRed, alpha, inverse);
    const __m128i greenAny = BlendLanes(_mm_srli_epi16(dst, 8), srcGreenAlpha, alpha, inverse);
    const __m128i green = _mm_slli_epi32(_mm_and_si128(greenAny, _mm_set1_epi32(0xFF)), 8);
    const __m128i blended =
        _mm_or_si128(_mm_or_si128(blueRed, green), _mm_set1_epi32(std::int32_t(0xFF000000u)));

    const __m128i key = _mm_cmpeq_epi32(_mm_and_si128(src, _mm_set1_epi32(0x00FFFFFF)),
                                        _mm_set1_epi32(0x00FF00FF));
    return _mm_or_si128(_mm_and_si128(key, dst), _mm_andnot_si128(key, blended));
}

std::int32_t DrawSpan32Wide(const std::uint8_t* src, std::uint32_t* dst, std::int32_t count)
{
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        __m128i* d = reinterpret_cast<__m128i*>(dst + i);
        _mm_storeu_si128(d, BlendFour(s, _mm_loadu_si128(d)));
    }
    return i;
}

#else

std::int32_t DrawSpan32Wide(const std::uint8_t*, std::uint32_t*, std::int32_t)
{
    return 0;
}

#endif

} // namespace

PaletteTable MakePaletteTable(const CColorTable& table)
{
    PaletteTable palette;
    palette.fill(kTransparent);
    const std::int32_t held = table.GetSize() < 256 ? table.GetSize() : 256;
    for (std::int32_t index = 1; index < held; ++index)
    {
        const ColorEntry& entry = *table.GetAt(index);
        if (!IsColorKey(entry.red, entry.green, entry.blue))
            palette[std::size_t(index)] = MakeRgb(entry.red, entry.green, entry.blue);
    }
    return palette;
}

void DrawSpan8(const std::uint8_t* src, const PaletteTable& palette, std::uint32_t* dst,
               std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint32_t color = palette[src[i]];
        if (color != kTransparent)
            dst[i] = color;
    }
}

void DrawSpan16(const std::uint8_t* src, std::uint32_t* dst, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint32_t word = src[2 * i] | std::uint32_t(src[2 * i + 1]) << 8;
        if ((word & kColorBits16) != kKeyWord16)
            dst[i] = MakeRgb(Expand5((word >> 10) & kFiveBits), Expand5((word >> 5) & kFiveBits),
                             Expand5(word & kFiveBits));
    }
}

void DrawSpan24(const std::uint8_t* src, std::uint32_t* dst, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i)
    {
        const std::uint8_t* pixel = src + 3 * i;
        if (!IsColorKey(pixel[0], pixel[1], pixel[2]))
            dst[i] = MakeRgb(pixel[0], pixel[1], pixel[2]);
    }
}

void DrawSpan32(const std::uint8_t* src, std::uint32_t* dst, std::int32_t count)
{
    for (std::int32_t i = DrawSpan32Wide(src, dst, count); i < count; ++i)
        dst[i] = BlendPixel(src + 4 * i, dst[i]);
}
