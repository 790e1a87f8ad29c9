// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/SpriteFile.h"

#include "formats/FileFailure.h"
#include "formats/TrailingBlock.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"
#include "io/FileReplacer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace
{

constexpr std::int32_t kSheetBitsPerPixel = 8;
constexpr std::uint8_t kOpaque = 255;
constexpr std::uint8_t kGreyRampStep = 16;
constexpr std::uint8_t kLowNibble = 0x0F;
constexpr int kHighNibbleShift = 4;

// Four packed bytes at a time: each byte is spread into a 16-bit lane of a
// word, its low nibble in the lane's low byte and its high nibble in the
// high byte, which is the order of the two pixels once a little-endian
// machine stores the word. About twice as fast as a table of byte pairs,
// and the sheet is unpacked on every Open and every conversion.
constexpr std::size_t kPackedPerWord = 4;
constexpr std::uint64_t kLaneOfBytePair = 0x0000FFFF0000FFFFull;
constexpr std::uint64_t kLaneOfByte = 0x00FF00FF00FF00FFull;
constexpr std::uint64_t kLowNibbles = 0x000F000F000F000Full;
constexpr std::uint64_t kHighNibblesMoved = 0x0F000F000F000F00ull;
constexpr auto kRowBytes = static_cast<std::size_t>(kSheetRowBytes);
static_assert(kRowBytes % kPackedPerWord == 0);

void UnpackRow(const std::uint8_t* packed, std::uint8_t* pixels)
{
    if constexpr (std::endian::native == std::endian::little)
    {
        for (std::size_t k = 0; k < kRowBytes; k += kPackedPerWord)
        {
            std::uint32_t four;
            std::memcpy(&four, packed + k, sizeof four);
            std::uint64_t lanes = four;
            lanes = (lanes | lanes << 16) & kLaneOfBytePair;
            lanes = (lanes | lanes << 8) & kLaneOfByte;
            const std::uint64_t eight = (lanes & kLowNibbles) | (lanes << 4 & kHighNibblesMoved);
            std::memcpy(pixels + 2 * k, &eight, sizeof eight);
        }
    }
    else
    {
        for (std::size_t k = 0; k < kRowBytes; ++k)
        {
            pixels[2 * k] = packed[k] & kLowNibble;
            pixels[2 * k + 1] = packed[k] >> kHighNibbleShift;
        }
    }
}

// Two pixels a byte, low nibble first, front to back through the buffer,
// a row per stream call (a call per byte costs more than the whole budget of
// an Open). Bytes past the end of the file read as 0, so a short file loads
// with index 0 where it ends.
void ReadSheetPixels(CBinaryFile& file, std::uint8_t* pixels, std::int32_t rows)
{
    for (std::int32_t row = 0; row < rows; ++row)
    {
        std::uint8_t packed[kSheetRowBytes] = {};
        file.ReadBlock(packed, sizeof packed);
        UnpackRow(packed, pixels);
        pixels += kSheetWidth;
    }
}

bool ReadSprColors(CBinaryFile& file, CSpriteImage& image)
{
    if (!image.m_colorTable.SetSize(kSprColorCount))
        return false;
    for (std::int32_t i = 0; i < kSprColorCount; ++i)
        image.m_colorTable.SetAt(i, ColorWordToEntry(file.ReadWord()));
    return true;
}

std::int32_t SheetHeightOf(SpriteLayout layout)
{
    return layout == SpriteLayout::Sp2 ? kSp2SheetHeight : kSprSheetHeight;
}

bool WriteSprColors(CBinaryFile& file, const CColorTable& table)
{
    const std::int32_t known = std::min(table.GetSize(), kSprColorCount);
    for (std::int32_t i = 0; i < kSprColorCount; ++i)
    {
        const std::uint16_t word = i < known ? EntryToColorWord(*table.GetAt(i)) : 0;
        if (!file.WriteWord(word))
            return false;
    }
    return true;
}

// One row of the sheet from an 8-bit image of any shape: columns the image
// lacks are index 0 and columns beyond the sheet are cut.
void PackSheetRow(const CSpriteImage& image, std::int32_t row, std::uint8_t* packed)
{
    std::uint8_t indices[kSheetWidth] = {};
    if (row < image.GetHeight())
    {
        const std::int32_t columns = std::min(image.GetWidth(), kSheetWidth);
        const std::uint8_t* source =
            image.GetPixels() + static_cast<std::int64_t>(row) * image.GetWidth();
        std::copy(source, source + columns, indices);
    }
    for (std::int32_t k = 0; k < kSheetRowBytes; ++k)
        packed[k] = PackPixelPair(indices[2 * k], indices[2 * k + 1]);
}

bool WriteSheetPixels(CBinaryFile& file, const CSpriteImage& image, std::int32_t rows)
{
    std::uint8_t packed[kSheetRowBytes];
    for (std::int32_t row = 0; row < rows; ++row)
    {
        PackSheetRow(image, row, packed);
        if (!file.WriteBlock(packed, sizeof packed))
            return false;
    }
    return true;
}

} // namespace

bool SetGreyRamp(CSpriteImage& image)
{
    if (!image.m_colorTable.SetSize(kSprColorCount))
        return false;
    for (std::int32_t i = 0; i < kSprColorCount; ++i)
    {
        const auto level = static_cast<std::uint8_t>(kGreyRampStep * (i % kPaletteRowSize));
        image.m_colorTable.SetAt(i, level, level, level, kOpaque);
    }
    return true;
}

Result ReadSpriteSheet(CBinaryFile& file, SpriteLayout layout, CSpriteImage& image)
{
    if (!image.Create(kSheetWidth, SheetHeightOf(layout), kSheetBitsPerPixel))
        return Failure(Reason::OutOfMemory);
    const bool colours =
        layout == SpriteLayout::Sp2 ? SetGreyRamp(image) : ReadSprColors(file, image);
    if (!colours)
        return Failure(Reason::OutOfMemory);
    ReadSheetPixels(file, image.GetPixels(), SheetHeightOf(layout));
    return {};
}

Result LoadSpriteSheet(const char* path, SpriteLayout layout, CSpriteImage& image)
{
    CBinaryFile file;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    return ReadSpriteSheet(file, layout, image);
}

bool CSpriteImage::ReadSPR(CBinaryFile& file)
{
    return ReadSpriteSheet(file, SpriteLayout::Spr, *this).Ok();
}

bool CSpriteImage::ReadSP2(CBinaryFile& file)
{
    return ReadSpriteSheet(file, SpriteLayout::Sp2, *this).Ok();
}

bool CSpriteImage::LoadSPR(const char* path)
{
    return LoadSpriteSheet(path, SpriteLayout::Spr, *this).Ok();
}

bool CSpriteImage::LoadSP2(const char* path)
{
    return LoadSpriteSheet(path, SpriteLayout::Sp2, *this).Ok();
}

Result WriteSpriteSheet(CBinaryFile& file, const CSpriteImage& image, SpriteLayout layout,
                        const CTrailingBlock* trailing, IProgress* progress)
{
    if (image.GetBitsPerPixel() != kSheetBitsPerPixel || !image.GetPixels())
        return Failure(Reason::PictureNotEightBit, image.GetBitsPerPixel());
    errno = 0;
    if (layout == SpriteLayout::Spr && !WriteSprColors(file, image.m_colorTable))
        return FailureFromErrno();
    if (!WriteSheetPixels(file, image, SheetHeightOf(layout)))
        return FailureFromErrno();
    if (layout == SpriteLayout::Spr && trailing)
        return trailing->WriteTo(file, progress);
    return {};
}

namespace
{

Result SaveSheetSteps(const CSpriteImage& image, const char* path, SpriteLayout layout,
                      const CTrailingBlock* trailing, CReplaceBatch* batch, IProgress* progress,
                      SheetSaveStep& step)
{
    step = SheetSaveStep::Check;
    if (image.GetBitsPerPixel() != kSheetBitsPerPixel || !image.GetPixels())
        return Failure(Reason::PictureNotEightBit, image.GetBitsPerPixel());
    step = SheetSaveStep::Create;
    if (!path || !*path)
        return SystemFailure(ENOENT);
    CFileReplacer replacer(path, batch);
    // A block still to be copied out of the target itself must not be
    // destroyed by writing that file in place.
    if (layout == SpriteLayout::Spr && trailing && trailing->IsByReference() &&
        IsSameFile(trailing->Source(), IdentityOf(path)))
        replacer.KeepOldFileUntilCommit();
    errno = 0;
    if (!replacer.Begin())
    {
        if (replacer.RefusedInPlace())
            return Failure(Reason::TrailingBlockInPlace);
        // A folder in the target's place sets no error.
        return FailureFromErrno(Reason::NotRegularFile);
    }
    step = SheetSaveStep::Write;
    if (Result written = WriteSpriteSheet(replacer.File(), image, layout, trailing, progress);
        !written)
        return written;
    errno = 0;
    if (!replacer.Commit())
        return FailureFromErrno();
    return {};
}

} // namespace

Result SaveSpriteFile(const CSpriteImage& image, const char* path, SpriteLayout layout,
                      const CTrailingBlock* trailing, CReplaceBatch* batch,
                      SheetSaveStep* failedStep, IProgress* progress)
{
    SheetSaveStep step = SheetSaveStep::Check;
    Result saved = SaveSheetSteps(image, path, layout, trailing, batch, progress, step);
    if (failedStep)
        *failedStep = step;
    return saved;
}
