// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "image/ColorWord.h"

#include <cstdint>

class CBinaryFile;
class CSpriteImage;
class CReplaceBatch;
class CTrailingBlock;

// SPR: 256 colour words, then 288 rows of 128 bytes (two 4-bit pixels a byte,
// low nibble left), then a trailing block kept byte for byte.
// SP2: 256 rows of 128 bytes, nothing else.
constexpr std::int32_t kSheetWidth = 256;
constexpr std::int32_t kSprSheetHeight = 288;
constexpr std::int32_t kSp2SheetHeight = 256;
constexpr std::int32_t kSheetRowBytes = kSheetWidth / 2;
constexpr std::int32_t kSprColorCount = 256;
constexpr std::int32_t kSprPaletteBytes = kSprColorCount * 2;
constexpr std::int32_t kSprSheetBytes =
    kSprPaletteBytes + kSprSheetHeight * kSheetRowBytes;                  // 37376
constexpr std::int32_t kSp2SheetBytes = kSp2SheetHeight * kSheetRowBytes; // 32768

enum class SpriteLayout
{
    Spr,
    Sp2,
};

// Two pixels to one byte: left pixel in the low nibble.
inline std::uint8_t PackPixelPair(std::uint8_t left, std::uint8_t right)
{
    return static_cast<std::uint8_t>((left & 0x0F) | ((right & 0x0F) << 4));
}

// The colours an SP2 sheet is shown in: the same ramp of greys, 0 to 240 in
// steps of 16, in every palette row of a 256-entry table. False when the
// table cannot be allocated.
bool SetGreyRamp(CSpriteImage& image);

// Reads a sheet in the given layout: SPR with its 256 colours, SP2 with
// the grey ramp. Bytes past the end of the file read as 0, so a short file
// loads with index 0 where it ends. The failure's reason only.
Result ReadSpriteSheet(CBinaryFile& file, SpriteLayout layout, CSpriteImage& image);
// The same from the file at path.
Result LoadSpriteSheet(const char* path, SpriteLayout layout, CSpriteImage& image);

// Writes the image in the given layout to the stream: SPR with its 256
// colours (missing ones as 0x0000) and the trailing block, SP2 bare. An image
// of another size is cut or padded with index 0 to the layout's sheet.
// Refuses, writing nothing, an image that is not 8-bit.
Result WriteSpriteSheet(CBinaryFile& file, const CSpriteImage& image, SpriteLayout layout,
                        const CTrailingBlock* trailing);

// The step of a save that failed.
enum class SheetSaveStep
{
    Check,  // the image is no sheet: nothing was begun
    Create, // the file could not be created, or not without losing the trailing block
    Write,  // writing or putting the new file in place failed
};

// The whole save: checks, then a safe replace of the file at path, put in
// place at once or, with a batch, when the batch finishes. failedStep, when
// given, learns which step a failure comes from.
Result SaveSpriteFile(const CSpriteImage& image, const char* path, SpriteLayout layout,
                      const CTrailingBlock* trailing, CReplaceBatch* batch = nullptr,
                      SheetSaveStep* failedStep = nullptr);
