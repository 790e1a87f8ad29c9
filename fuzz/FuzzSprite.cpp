// SPDX-License-Identifier: GPL-3.0-or-later
// Opens arbitrary bytes as an SPR file and as an SP2 file, as the Open
// command does: reader, then (SPR) the trailing block. Any bytes load, and
// the sheet written back is the bytes read, with bit 15 of each colour word
// cleared, missing bytes as zeros and the trailing block unchanged.
#include "formats/SpriteFile.h"
#include "formats/TrailingBlock.h"
#include "fuzz/FuzzSupport.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <algorithm>

namespace
{

constexpr std::uint8_t kColorWordHighByteMask = 0x7F;

bool HasSheetShape(const CSpriteImage& image, std::int32_t height)
{
    if (image.GetWidth() != kSheetWidth || image.GetHeight() != height ||
        image.GetBitsPerPixel() != 8 || image.m_colorTable.GetSize() != kSprColorCount)
        return false;
    const std::uint8_t* pixels = image.GetPixels();
    return std::all_of(pixels, pixels + image.GetPixelBytes(),
                       [](std::uint8_t index) { return index < kPaletteRowSize; });
}

std::vector<std::uint8_t> WrittenSheet(const CSpriteImage& image, SpriteLayout layout,
                                       const CTrailingBlock& trailing)
{
    CMemoryOutput output;
    CBinaryFile file;
    file.Attach(output.Stream(), 0);
    FuzzRequire(WriteSpriteSheet(file, image, layout, &trailing).Ok(), "a sheet writes to memory");
    return output.Written();
}

std::vector<std::uint8_t> ExpectedSpr(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes = FirstBytesPadded(data, size, kSprSheetBytes);
    // A colour word cut short by the end of the file reads as 0.
    if (size < std::size_t(kSprPaletteBytes) && size % 2 == 1)
        bytes[size - 1] = 0;
    for (std::int32_t color = 0; color < kSprColorCount; ++color)
        bytes[2 * color + 1] &= kColorWordHighByteMask;
    if (size > std::size_t(kSprSheetBytes))
        bytes.insert(bytes.end(), data + kSprSheetBytes, data + size);
    return bytes;
}

void OpenAsSpr(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    CSpriteImage image;
    FuzzRequire(image.LoadSPR(path.c_str()), "any bytes load as SPR");
    FuzzRequire(HasSheetShape(image, kSprSheetHeight),
                "an SPR sheet is 256 x 288 of 4-bit indices");

    CTrailingBlock trailing;
    FuzzRequire(CTrailingBlock::Read(path.c_str(), trailing).Ok(), "the trailing block is read");
    const std::size_t trailingSize = size > std::size_t(kSprSheetBytes) ? size - kSprSheetBytes : 0;
    FuzzRequire(std::size_t(trailing.Size()) == trailingSize,
                "the trailing block holds every byte after the sheet");
    FuzzRequire(WrittenSheet(image, SpriteLayout::Spr, trailing) == ExpectedSpr(data, size),
                "an SPR sheet writes back as read");
}

void OpenAsSp2(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    CSpriteImage image;
    FuzzRequire(image.LoadSP2(path.c_str()), "any bytes load as SP2");
    FuzzRequire(HasSheetShape(image, kSp2SheetHeight),
                "an SP2 sheet is 256 x 256 of 4-bit indices");
    FuzzRequire(WrittenSheet(image, SpriteLayout::Sp2, CTrailingBlock()) ==
                    FirstBytesPadded(data, size, kSp2SheetBytes),
                "an SP2 sheet writes back as read");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = WriteFuzzFile(data, size);
    OpenAsSpr(path, data, size);
    OpenAsSp2(path, data, size);
    return 0;
}
