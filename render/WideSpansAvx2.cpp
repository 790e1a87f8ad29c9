// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/WideSpans.h"

// Builds target plain SSE2, so these are compiled for AVX2 function by
// function and only called where the processor has it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

#define AVX2_CODE __attribute__((target("avx2")))

namespace
{

AVX2_CODE __m256i Load(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

AVX2_CODE void Store(std::uint32_t* p, __m256i pixels)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), pixels);
}

AVX2_CODE __m256i Words(std::uint32_t word)
{
    return _mm256_set1_epi32(std::int32_t(word));
}

// Words of a where mask is all ones, of b where it is all zeros.
AVX2_CODE __m256i Select(__m256i mask, __m256i a, __m256i b)
{
    return _mm256_blendv_epi8(b, a, mask);
}

AVX2_CODE __m256i KeyMask(__m256i pixels)
{
    return _mm256_cmpeq_epi32(_mm256_and_si256(pixels, Words(0x00FFFFFF)), Words(0x00FF00FF));
}

AVX2_CODE __m256i SwapRedBlue(__m256i pixels)
{
    const __m256i redBlue = _mm256_and_si256(pixels, Words(0x00FF00FF));
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(redBlue, _MM_SHUFFLE(2, 3, 0, 1)),
                                  _MM_SHUFFLE(2, 3, 0, 1));
}

// The exact blend of WideSpans.cpp, eight pixels wide.
AVX2_CODE __m256i Div255Lanes(__m256i x)
{
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(std::int16_t(0x8081))), 7);
}

AVX2_CODE __m256i BlendLanes(__m256i d, __m256i s, __m256i alpha, __m256i inverse)
{
    return Div255Lanes(
        _mm256_add_epi16(_mm256_mullo_epi16(d, inverse), _mm256_mullo_epi16(s, alpha)));
}

AVX2_CODE __m256i BlendEight(__m256i src, __m256i under)
{
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i srcGreenAlpha = _mm256_srli_epi16(src, 8);
    const __m256i alpha = _mm256_shufflehi_epi16(
        _mm256_shufflelo_epi16(srcGreenAlpha, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
    const __m256i inverse = _mm256_sub_epi16(lowBytes, alpha);

    const __m256i blueRed =
        BlendLanes(_mm256_and_si256(under, lowBytes), SwapRedBlue(src), alpha, inverse);
    const __m256i greenAny = BlendLanes(_mm256_srli_epi16(under, 8), srcGreenAlpha, alpha, inverse);
    const __m256i green = _mm256_slli_epi32(_mm256_and_si256(greenAny, Words(0xFF)), 8);
    return _mm256_or_si256(_mm256_or_si256(blueRed, green), Words(0xFF000000u));
}

// Eight 3-byte pixels (24 of 32 readable bytes) as surface words: each
// 128-bit half takes four pixels, whose bytes are then put in surface order.
AVX2_CODE __m256i LoadEightRgb(const std::uint8_t* src)
{
    const __m256i halves =
        _mm256_permutevar8x32_epi32(Load(src), _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0));
    const __m256i order = _mm256_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1, //
                                           2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    return _mm256_shuffle_epi8(halves, order);
}

} // namespace

bool HasAvx2()
{
    return __builtin_cpu_supports("avx2");
}

AVX2_CODE std::int32_t DrawWide8Avx2(const std::uint8_t* src, const PaletteTable& palette,
                                     const std::uint32_t* under, std::uint32_t* dst,
                                     std::int32_t count)
{
    const auto* table = reinterpret_cast<const int*>(palette.data());
    std::int32_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        const __m256i indices =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i)));
        const __m256i colors = _mm256_i32gather_epi32(table, indices, 4);
        // kTransparent is the one table value without its top bit set.
        Store(dst + i, Select(_mm256_srai_epi32(colors, 31), colors, Load(under + i)));
    }
    return i;
}

AVX2_CODE std::int32_t DrawWide24Avx2(const std::uint8_t* src, const std::uint32_t* under,
                                      std::uint32_t* dst, std::int32_t count)
{
    // Eight pixels take 24 bytes but the load reads 32: stop while at least
    // three more pixels follow.
    std::int32_t i = 0;
    for (; i + 11 <= count; i += 8)
    {
        const __m256i rgb = LoadEightRgb(src + 3 * i);
        Store(dst + i, Select(_mm256_cmpeq_epi32(rgb, Words(0x00FF00FF)), Load(under + i),
                              _mm256_or_si256(rgb, Words(0xFF000000u))));
    }
    return i;
}

AVX2_CODE std::int32_t DrawWide32Avx2(const std::uint8_t* src, const std::uint32_t* under,
                                      std::uint32_t* dst, std::int32_t count)
{
    std::int32_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        const __m256i pixels = Load(src + 4 * i);
        const __m256i below = Load(under + i);
        Store(dst + i, Select(KeyMask(pixels), below, BlendEight(pixels, below)));
    }
    return i;
}

#else

bool HasAvx2()
{
    return false;
}

std::int32_t DrawWide8Avx2(const std::uint8_t*, const PaletteTable&, const std::uint32_t*,
                           std::uint32_t*, std::int32_t)
{
    return 0;
}

std::int32_t DrawWide24Avx2(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t)
{
    return 0;
}

std::int32_t DrawWide32Avx2(const std::uint8_t*, const std::uint32_t*, std::uint32_t*, std::int32_t)
{
    return 0;
}

#endif
