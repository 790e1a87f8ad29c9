// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>

// DevIL 1.7.8 trusts every field of a BMP header: a huge size overflows its
// allocation, a wild pixel offset makes it read outside the file, a palette
// count beyond the depth makes it report colours that are not there. So a
// file goes to DevIL only after it passed this check, and in the shape DevIL
// decodes correctly.

// The start of a BMP file the check looks at: the file header and the
// largest info header.
constexpr std::size_t kBmpHeaderBytes = 14 + 124;

// Whether the bytes begin as a BMP file: "BM", a header size Tavrel knows
// and one colour plane. The first 30 bytes are enough to tell.
bool HasBmpSignature(const std::uint8_t* bytes, std::size_t size);

// Whether DevIL may be given a file of fileSize bytes that starts with the
// given header bytes (at least min(fileSize, kBmpHeaderBytes) of them), or
// the reason why not. On acceptance, usableBytes is how much of the file
// decoding can use: the stored rows, or for a run-length picture the most
// its codes can take to cover every pixel; never more than the file.
Result CheckBmpHeader(const std::uint8_t* header, std::size_t headerBytes, std::int64_t fileSize,
                      std::int64_t& usableBytes);

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
