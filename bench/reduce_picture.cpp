// SPDX-License-Identifier: GPL-3.0-or-later
// Reduces one picture for bench/reduce_quality.py: reads WIDTH x HEIGHT
// red, green, blue, alpha bytes from standard input, reduces them to 15 new
// colours (no dithering, alpha threshold 128) and writes the row's 16
// colours (red, green, blue as shown) then one index byte per pixel.
// Standard error gets our own measure of the result.
#include "reduce/ReduceColors.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT < rgba > row+indices\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    CSpriteImage picture;
    if (!picture.Create(width, height, 32))
        return 2;
    const std::size_t bytes = std::size_t(picture.GetPixelBytes());
    if (std::fread(picture.GetPixels(), 1, bytes, stdin) != bytes)
    {
        std::fprintf(stderr, "expected %zu bytes of RGBA\n", bytes);
        return 2;
    }

    ReducedPicture reduced;
    const Result result = ReduceColors(picture, PaletteRow{}, ReduceOptions{}, reduced);
    if (!result)
    {
        std::fprintf(stderr, "%s\n", FullText(result).c_str());
        return 1;
    }
    for (const ColorEntry& entry : reduced.row)
        std::fwrite(&entry, 1, 3, stdout);
    std::fwrite(reduced.picture.GetPixels(), 1, bytes / 4, stdout);
    std::fprintf(stderr, "mean %.4f largest %.4f changed %lld\n", reduced.report.meanError,
                 reduced.report.largestError, static_cast<long long>(reduced.report.changedPixels));
    return 0;
}
