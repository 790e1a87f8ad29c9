// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/WideSpans.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace
{

__m128i Load(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

void Store(std::uint32_t* p, __m128i pixels)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), pixels);
}

__m128i Words(std::uint32_t word)
{
    return _mm_set1_epi32(std::int32_t(word));
}

// Bits of a where mask is set, of b elsewhere.
__m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Image pixels hold red in their first byte, surface words in their third.
__m128i SwapRedBlue(__m128i pixels)
{
    const __m128i redBlue = _mm_and_si128(pixels, Words(0x00FF00FF));
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(redBlue, _MM_SHUFFLE(2, 3, 0, 1)),
                               _MM_SHUFFLE(2, 3, 0, 1));
}

// All ones in each pixel whose first three bytes are the colour key.
__m128i KeyMask(__m128i pixels)
{
    return _mm_cmpeq_epi32(_mm_and_si128(pixels, Words(0x00FFFFFF)), Words(0x00FF00FF));
}

// Four pixels of bytes R G B x as surface words 0xFFRRGGBB.
__m128i ToSurfaceWords(__m128i pixels)
{
    const __m128i green = _mm_and_si128(pixels, Words(0x0000FF00));
    return _mm_or_si128(_mm_or_si128(SwapRedBlue(pixels), green), Words(0xFF000000u));
}

// The blend runs in 16-bit lanes: every product and sum of
// (d * (255 - a) + s * a) div 255 stays below 65536, so the lanes hold the
// exact integer formula. For every 16-bit x, x div 255 is
// (x * 0x8081) >> 23.
__m128i Div255Lanes(__m128i x)
{
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(std::int16_t(0x8081))), 7);
}

__m128i BlendLanes(__m128i d, __m128i s, __m128i alpha, __m128i inverse)
{
    return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(d, inverse), _mm_mullo_epi16(s, alpha)));
}

// Each pixel splits into two 16-bit lanes: blue and red, green and alpha
// (whose blend is dropped).
__m128i BlendFour(__m128i src, __m128i under)
{
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i srcGreenAlpha = _mm_srli_epi16(src, 8);
    const __m128i alpha = _mm_shufflehi_epi16(
        _mm_shufflelo_epi16(srcGreenAlpha, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i inverse = _mm_sub_epi16(lowBytes, alpha);

    const __m128i blueRed =
        BlendLanes(_mm_and_si128(under, lowBytes), SwapRedBlue(src), alpha, inverse);
    const __m128i greenAny = BlendLanes(_mm_srli_epi16(under, 8), srcGreenAlpha, alpha, inverse);
    const __m128i green = _mm_slli_epi32(_mm_and_si128(greenAny, Words(0xFF)), 8);
    return _mm_or_si128(_mm_or_si128(blueRed, green), Words(0xFF000000u));
}

// Four 3-byte pixels from 16 readable bytes, one per word with a spare top byte.
__m128i LoadFourRgb(const std::uint8_t* src)
{
    const __m128i bytes = Load(src);
    const __m128i first = _mm_unpacklo_epi32(bytes, _mm_srli_si128(bytes, 3));
    const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(bytes, 6), _mm_srli_si128(bytes, 9));
    return _mm_unpacklo_epi64(first, second);
}

} // namespace

std::int32_t DrawWide8Sse2(const std::uint8_t* src, const PaletteTable& palette,
                           const std::uint32_t* under, std::uint32_t* dst, std::int32_t count)
{
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4)
    {
        // kTransparent is the one table value without its top bit set.
        const __m128i colors =
            _mm_setr_epi32(std::int32_t(palette[src[i]]), std::int32_t(palette[src[i + 1]]),
                           std::int32_t(palette[src[i + 2]]), std::int32_t(palette[src[i + 3]]));
        Store(dst + i, Select(_mm_srai_epi32(colors, 31), colors, Load(under + i)));
    }
    return i;
}

std::int32_t DrawWide24Sse2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count)
{
    // Four pixels take 12 bytes but the load reads 16: stop while at least
    // two more pixels follow.
    std::int32_t i = 0;
    for (; i + 6 <= count; i += 4)
    {
        const __m128i pixels = LoadFourRgb(src + 3 * i);
        Store(dst + i, Select(KeyMask(pixels), Load(under + i), ToSurfaceWords(pixels)));
    }
    return i;
}

std::int32_t DrawWide32Sse2(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                            std::int32_t count)
{
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const __m128i pixels = Load(src + 4 * i);
        const __m128i below = Load(under + i);
        Store(dst + i, Select(KeyMask(pixels), below, BlendFour(pixels, below)));
    }
    return i;
}

#else

std::int32_t DrawWide8Sse2(const std::uint8_t*, const PaletteTable&, const std::uint32_t*,
                           std::uint32_t*, std::int32_t)
{
    return 0;
}

std::int32_t DrawWide24Sse2(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t)
{
    return 0;
}

std::int32_t DrawWide32Sse2(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t)
{
    return 0;
}

#endif

namespace
{

bool UseAvx2()
{
    static const bool available = HasAvx2();
    return available;
}

} // namespace

std::int32_t DrawWide8(const std::uint8_t* src, const PaletteTable& palette,
                       const std::uint32_t* under, std::uint32_t* dst, std::int32_t count)
{
    const std::int32_t done = UseAvx2() ? DrawWide8Avx2(src, palette, under, dst, count) : 0;
    return done + DrawWide8Sse2(src + done, palette, under + done, dst + done, count - done);
}

std::int32_t DrawWide24(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count)
{
    const std::int32_t done = UseAvx2() ? DrawWide24Avx2(src, under, dst, count) : 0;
    return done + DrawWide24Sse2(src + 3 * done, under + done, dst + done, count - done);
}

std::int32_t DrawWide32(const std::uint8_t* src, const std::uint32_t* under, std::uint32_t* dst,
                        std::int32_t count)
{
    const std::int32_t done = UseAvx2() ? DrawWide32Avx2(src, under, dst, count) : 0;
    return done + DrawWide32Sse2(src + 4 * done, under + done, dst + done, count - done);
}
