#pragma once

#include <cstddef>
#include <cstdint>

// DevIL 1.7.8 trusts every field of a BMP header: a huge size overflows its
// allocation, a wild pixel offset makes it read outside the file, a palette
// count beyond the depth makes it report colours that are not there. So a
// file goes to DevIL only after it passed this check, and in the shape DevIL
// decodes correctly.

enum class BmpCheckResult
{
    Accepted,
    TooShort,          // fewer bytes than a file header and an info header
    NotBmp,            // no "BM" signature
    UnsupportedHeader, // an info header of another size than 12, 40, 108 or 124
    BadPlanes,
    BadDepth,
    BadCompression, // unknown, or not the one its depth allows
    TopDownRle,
    BadWidth,
    BadHeight,
    TooManyPixels,
    BadPaletteCount,
    BadPixelOffset,
    MissingRows,
};

// Whether DevIL may be given these bytes: Accepted, or why not.
BmpCheckResult CheckBmpForDecoding(const std::uint8_t* bytes, std::size_t size);

// Whether the picture's codes can move past pixels or end it early, leaving
// pixels the decoder never writes: true for run-length pictures. Only for
// bytes that passed the check.
bool BmpCanSkipPixels(const std::uint8_t* bytes);

// DevIL reads only the 40-byte info header (and the 12-byte OS/2 one). A file
// with a 108- or 124-byte header is rewritten in place into the same picture
// with the 40-byte header those extend: palette and pixels moved up behind it,
// bit-field masks placed just before the pixels. Returns the new size; any
// other file is left as it is. Only for bytes that passed the check.
std::size_t RewriteToBasicInfoHeader(std::uint8_t* bytes, std::size_t size);
