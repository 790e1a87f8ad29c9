// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/BmpFile.h"
#include "formats/FileFailure.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <limits>

namespace
{

constexpr std::uint16_t kBmpSignature = 0x4D42; // "BM"
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kPaletteEntries = 256;
constexpr std::uint32_t kPaletteBytes = kPaletteEntries * 4;
constexpr std::uint16_t kPlanes = 1;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kRowAlignment = 4;
constexpr std::int32_t kPalettedBitsBelow = 16;
constexpr std::size_t kChunkBytes = 3072; // whole 3- and 4-byte pixels

struct BmpShape
{
    std::uint32_t bytesPerPixel;
    std::uint32_t rowBytes;  // pixel bytes of one row
    std::uint32_t rowStride; // rowBytes rounded up to the row alignment
    std::uint32_t offBits;
    std::uint32_t fileSize;
};

bool IsExportable(const CSpriteImage& image)
{
    const std::int32_t bits = image.GetBitsPerPixel();
    return image.GetPixels() && (bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
           image.GetWidth() > 0 && image.GetHeight() > 0;
}

// False when the file would be too large for the header's 32-bit size.
bool ComputeShape(const CSpriteImage& image, BmpShape& shape)
{
    const std::uint64_t bytesPerPixel = static_cast<std::uint64_t>(image.GetBitsPerPixel()) / 8;
    const std::uint64_t rowBytes = bytesPerPixel * static_cast<std::uint64_t>(image.GetWidth());
    const std::uint64_t rowStride = (rowBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    const std::uint64_t offBits =
        kFileHeaderBytes + kInfoHeaderBytes +
        (image.GetBitsPerPixel() < kPalettedBitsBelow ? kPaletteBytes : 0);
    const std::uint64_t fileSize =
        offBits + rowStride * static_cast<std::uint64_t>(image.GetHeight());
    if (fileSize > std::numeric_limits<std::uint32_t>::max())
        return false;
    shape = BmpShape{static_cast<std::uint32_t>(bytesPerPixel),
                     static_cast<std::uint32_t>(rowBytes), static_cast<std::uint32_t>(rowStride),
                     static_cast<std::uint32_t>(offBits), static_cast<std::uint32_t>(fileSize)};
    return true;
}

bool WriteHeaders(CBinaryFile& file, const CSpriteImage& image, const BmpShape& shape)
{
    return file.WriteWord(kBmpSignature)        // bfType
           && file.WriteDword(shape.fileSize)   // bfSize
           && file.WriteDword(0)                // bfReserved1, bfReserved2
           && file.WriteDword(shape.offBits)    // bfOffBits
           && file.WriteDword(kInfoHeaderBytes) // biSize
           && file.WriteDword(static_cast<std::uint32_t>(image.GetWidth())) // biWidth
           && file.WriteDword(
                  static_cast<std::uint32_t>(image.GetHeight())) // biHeight: rows bottom-up
           && file.WriteWord(kPlanes)                            // biPlanes
           && file.WriteWord(static_cast<std::uint16_t>(image.GetBitsPerPixel())) // biBitCount
           && file.WriteDword(kBiRgb)                                             // biCompression
           && file.WriteDword(0)                                                  // biSizeImage
           && file.WriteDword(0)                                                  // biXPelsPerMeter
           && file.WriteDword(0)                                                  // biYPelsPerMeter
           && file.WriteDword(0)  // biClrUsed: all 256
           && file.WriteDword(0); // biClrImportant
}

// Blue, green, red and a zero byte for each of the 256 entries; entries the
// table lacks are written as zero.
bool WritePalette(CBinaryFile& file, const CColorTable& table)
{
    const auto known = static_cast<std::uint32_t>(std::max(table.GetSize(), 0));
    for (std::uint32_t i = 0; i < kPaletteEntries; ++i)
    {
        std::uint32_t quad = 0;
        if (i < known)
        {
            const ColorEntry* entry = table.GetAt(static_cast<std::int32_t>(i));
            quad = entry->blue | (entry->green << 8) | (entry->red << 16);
        }
        if (!file.WriteDword(quad))
            return false;
    }
    return true;
}

// The image holds red, green, blue (and alpha); the file wants blue first.
void SwapRedAndBlue(std::uint8_t* bytes, std::size_t count, std::uint32_t bytesPerPixel)
{
    for (std::size_t i = 0; i + 2 < count; i += bytesPerPixel)
        std::swap(bytes[i], bytes[i + 2]);
}

// Pixels go out in blocks: a stream call per value would take longer than
// the whole export may. Indices and 16-bit words go out as stored; colour
// bytes are reordered a chunk at a time, so no copy of the image is made.
bool WriteRowPixels(CBinaryFile& file, const std::uint8_t* row, const BmpShape& shape)
{
    if (shape.bytesPerPixel < 3)
        return file.WriteBlock(row, shape.rowBytes) != 0;

    std::uint8_t chunk[kChunkBytes];
    for (std::size_t done = 0; done < shape.rowBytes;)
    {
        const std::size_t count = std::min<std::size_t>(kChunkBytes, shape.rowBytes - done);
        std::copy(row + done, row + done + count, chunk);
        SwapRedAndBlue(chunk, count, shape.bytesPerPixel);
        if (!file.WriteBlock(chunk, count))
            return false;
        done += count;
    }
    return true;
}

bool WritePixelRows(CBinaryFile& file, const CSpriteImage& image, const BmpShape& shape)
{
    static constexpr std::uint8_t kFill[kRowAlignment] = {};
    const std::uint32_t fillBytes = shape.rowStride - shape.rowBytes;
    for (std::int32_t y = image.GetHeight() - 1; y >= 0; --y)
    {
        const std::uint8_t* row =
            image.GetPixels() + static_cast<std::uint64_t>(y) * shape.rowBytes;
        if (!WriteRowPixels(file, row, shape))
            return false;
        if (fillBytes > 0 && !file.WriteBlock(kFill, fillBytes))
            return false;
    }
    return true;
}

} // namespace

Result WriteBmpPicture(CBinaryFile& file, const CSpriteImage& image)
{
    BmpShape shape{};
    if (!IsExportable(image))
        return Failure(Reason::PictureNotExportable, image.GetBitsPerPixel());
    if (!ComputeShape(image, shape))
        return Failure(Reason::BmpTooLargeToWrite);
    errno = 0;
    if (!file.IsOpen() || !WriteHeaders(file, image, shape))
        return FailureFromErrno();
    if (image.GetBitsPerPixel() < kPalettedBitsBelow && !WritePalette(file, image.m_colorTable))
        return FailureFromErrno();
    if (!WritePixelRows(file, image, shape))
        return FailureFromErrno();
    return {};
}

Result SaveBmpPicture(const CSpriteImage& image, const char* path, CReplaceBatch* batch)
{
    BmpShape shape{};
    if (!IsExportable(image))
        return Failure(Reason::PictureNotExportable, image.GetBitsPerPixel());
    if (!ComputeShape(image, shape))
        return Failure(Reason::BmpTooLargeToWrite);
    return ReplaceFileWith(path, batch,
                           [&](CBinaryFile& file) { return WriteBmpPicture(file, image); });
}

bool CSpriteImage::WriteBMP(CBinaryFile& file) const
{
    return WriteBmpPicture(file, *this).Ok();
}

bool CSpriteImage::SaveBMP(const char* path) const
{
    return SaveBmpPicture(*this, path).Ok();
}
