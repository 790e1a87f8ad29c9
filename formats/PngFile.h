// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/ImportOutcome.h"
#include "formats/PictureSize.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CBinaryFile;
class CReplaceBatch;
class CSpriteImage;

// PNG files through libpng, read and written index for index.
//
// Reading: indexed PNGs of 1, 2, 4 or 8 bits become 8-bit images with one
// byte per pixel holding the file's own index, and a table of 256 colours:
// the file's palette (any length up to 256) with alpha 255, the rest zero.
// A tRNS chunk is not applied: colours, not transparency, are what a sheet
// keeps, and index 0 is shown transparent anyway. Grey PNGs without alpha
// become 8-bit images too: the index is the grey level as stored (16-bit
// grey is cut to its high byte first) and the table of 256 colours starts
// with a grey ramp of as many entries as the depth has levels, scaled to
// 0-255, the rest zero. Colour PNGs become
// 24-bit images, with alpha (colour or grey) 32-bit ones; 16-bit channels
// keep their high byte. Sides over 16384 and pictures over 8192 x 8192
// pixels are refused from the header, before anything is allocated. Any
// damage libpng finds (a bad CRC in any chunk, a cut-off file, a bad chunk,
// bad compressed data) fails the read; the image is left empty then.
//
// Writing: an 8-bit image becomes an 8-bit indexed PNG with all 256 colours
// of its table (missing ones black), as BMP export does. With a palette row,
// it becomes instead a 4-bit PNG of what the view shows for that row:
// colours 16 * row to 16 * row + 15, which needs every index below 16.
// Colours are written as the image holds them. 24- and 32-bit images become
// RGB and RGBA PNGs.

constexpr std::int32_t kPngWholeTable = -1;

struct PngWriteOptions
{
    // kPngWholeTable, or 0-15 for a 4-bit PNG of that palette row.
    std::int32_t paletteRow = kPngWholeTable;
    // Adds a tRNS chunk that makes palette entry 0 fully transparent (indexed
    // PNGs only).
    bool transparentIndexZero = false;
};

// Whether the bytes begin with the PNG signature.
bool HasPngSignature(const std::uint8_t* bytes, std::size_t size);

// Reads a PNG from the stream's current position; with an outcome, it
// learns how many colours the file defines (PLTE entries or grey levels).
Result ReadPng(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome = nullptr);
// The chunks before the pixels alone: the size and the depth of the image
// the file becomes.
Result ReadPngHeader(CBinaryFile& file, PictureHeader& header);
Result LoadPngFile(const char* path, CSpriteImage& image, ImportOutcome* outcome = nullptr);

// Writes the PNG to the stream. Nothing is written when the image cannot
// be written (no pixels, 16 bits per pixel, an index over 15 with a row).
Result WritePng(CBinaryFile& file, const CSpriteImage& image, const PngWriteOptions& options);
// The same through a safe replacement of the file at path, put in place at
// once or, with a batch, when the batch finishes.
Result SavePngFile(const CSpriteImage& image, const char* path, const PngWriteOptions& options,
                   CReplaceBatch* batch = nullptr);

// The same in memory, for a clipboard (formats/PngBytes.cpp): a PNG's bytes
// read as ReadPng reads a file, and an image written as WritePng writes one.
Result DecodePng(const std::uint8_t* data, std::size_t size, CSpriteImage& image);
Result EncodePng(const CSpriteImage& image, const PngWriteOptions& options,
                 std::vector<std::uint8_t>& bytes);
