// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/BmpCheck.h"

#include "formats/PictureSize.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12; // OS/2 1.x: 16-bit sizes, no compression
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kV4HeaderBytes = 108;
constexpr std::uint32_t kV5HeaderBytes = 124;
// DevIL reads a whole 40-byte header before it looks at the header size.
constexpr std::size_t kMinimumFileBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr std::size_t kMaskBytes = 12; // red, green, blue bit-field masks

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

// Byte offsets in the file.
constexpr std::size_t kFileSizeAt = 2;
constexpr std::size_t kPixelOffsetAt = 10;
constexpr std::size_t kHeaderSizeAt = 14;
constexpr std::size_t kWidthAt = 18;
constexpr std::size_t kHeightAt = 22;
constexpr std::size_t kPlanesAt = 26;
constexpr std::size_t kBitsAt = 28;
constexpr std::size_t kCompressionAt = 30;
constexpr std::size_t kColorsUsedAt = 46;
constexpr std::size_t kHeaderMasksAt = 54; // inside a 108- or 124-byte header
constexpr std::size_t kCoreWidthAt = 18;
constexpr std::size_t kCoreHeightAt = 20;
constexpr std::size_t kCorePlanesAt = 22;
constexpr std::size_t kCoreBitsAt = 24;

std::uint16_t WordAt(const std::uint8_t* bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t DwordAt(const std::uint8_t* bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

void PutDwordAt(std::uint8_t* bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The header fields the check needs, whichever header the file has.
struct BmpFields
{
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top first
    std::uint16_t planes = 0;
    std::uint16_t bits = 0;
    std::uint32_t compression = kCompressionNone;
    std::uint32_t colorsUsed = 0;
    std::uint32_t pixelOffset = 0;
};

BmpFields ReadFields(const std::uint8_t* bytes)
{
    BmpFields fields;
    fields.headerSize = DwordAt(bytes, kHeaderSizeAt);
    fields.pixelOffset = DwordAt(bytes, kPixelOffsetAt);
    if (fields.headerSize == kCoreHeaderBytes)
    {
        fields.width = WordAt(bytes, kCoreWidthAt);
        fields.height = WordAt(bytes, kCoreHeightAt);
        fields.planes = WordAt(bytes, kCorePlanesAt);
        fields.bits = WordAt(bytes, kCoreBitsAt);
        return fields;
    }
    fields.width = static_cast<std::int32_t>(DwordAt(bytes, kWidthAt));
    fields.height = static_cast<std::int32_t>(DwordAt(bytes, kHeightAt));
    fields.planes = WordAt(bytes, kPlanesAt);
    fields.bits = WordAt(bytes, kBitsAt);
    fields.compression = DwordAt(bytes, kCompressionAt);
    fields.colorsUsed = DwordAt(bytes, kColorsUsedAt);
    return fields;
}

bool IsKnownHeaderSize(std::uint32_t size)
{
    return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == kV4HeaderBytes ||
           size == kV5HeaderBytes;
}

bool IsKnownDepth(std::uint16_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool CompressionFitsDepth(std::uint32_t compression, std::uint16_t bits)
{
    switch (compression)
    {
    case kCompressionNone:
        return true;
    case kCompressionRle8:
        return bits == 8;
    case kCompressionRle4:
        return bits == 4;
    case kCompressionBitFields:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}

bool IsRle(std::uint32_t compression)
{
    return compression == kCompressionRle8 || compression == kCompressionRle4;
}

// Where the pixels may start at the earliest. A 40-byte header keeps its
// bit-field masks after it, and DevIL reads them just before the pixels.
std::int64_t HeadersEnd(const BmpFields& fields)
{
    std::int64_t end = std::int64_t(kFileHeaderBytes) + fields.headerSize;
    if (fields.headerSize == kInfoHeaderBytes && fields.compression == kCompressionBitFields)
        end += kMaskBytes;
    return end;
}

std::int64_t StoredRowBytes(std::int64_t width, std::uint16_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// The most bytes run-length codes can take while each code still moves the
// picture on: a pixel skipped by a delta of one costs four, and every row
// and the picture may each take one end code. Codes that stand still would
// make any length a picture; no encoder writes them.
std::int64_t LongestRunLengthCodes(std::int64_t width, std::int64_t rows)
{
    constexpr std::int64_t kDeltaCodeBytes = 4;
    constexpr std::int64_t kEndCodeBytes = 2;
    return kDeltaCodeBytes * width * rows + kEndCodeBytes * rows + kEndCodeBytes;
}

std::uint16_t PlanesOf(const std::uint8_t* bytes)
{
    return WordAt(bytes,
                  DwordAt(bytes, kHeaderSizeAt) == kCoreHeaderBytes ? kCorePlanesAt : kPlanesAt);
}

} // namespace

bool HasBmpSignature(const std::uint8_t* bytes, std::size_t size)
{
    return size >= kPlanesAt + 2 && bytes[0] == 'B' && bytes[1] == 'M' &&
           IsKnownHeaderSize(DwordAt(bytes, kHeaderSizeAt)) && PlanesOf(bytes) == 1;
}

Result CheckBmpHeader(const std::uint8_t* header, std::size_t headerBytes, std::int64_t fileSize,
                      std::int64_t& usableBytes)
{
    usableBytes = 0;
    // DevIL reads the first 54 bytes as a header whatever the file holds.
    if (header == nullptr || fileSize < std::int64_t(kMinimumFileBytes) ||
        headerBytes < kMinimumFileBytes)
        return Failure(Reason::BmpTooShort);
    // Only BMP files go to the decoder, whatever their name.
    if (header[0] != 'B' || header[1] != 'M')
        return Failure(Reason::BmpNoSignature);
    // Other headers DevIL would take for OS/2 ones and misread.
    if (!IsKnownHeaderSize(DwordAt(header, kHeaderSizeAt)))
        return Failure(Reason::BmpUnsupportedHeader, DwordAt(header, kHeaderSizeAt));

    const BmpFields fields = ReadFields(header);
    // DevIL refuses other planes and depths as a Windows header, then tries
    // the same bytes again as an OS/2 header and misreads them.
    if (fields.planes != 1)
        return Failure(Reason::BmpBadPlanes, fields.planes);
    if (!IsKnownDepth(fields.bits))
        return Failure(Reason::BmpBadDepth, fields.bits);
    // DevIL decodes each compression with the depth it was made for only.
    if (!CompressionFitsDepth(fields.compression, fields.bits))
        return Failure(Reason::BmpBadCompression, fields.compression);
    // Run-length pictures are bottom-up by definition.
    if (IsRle(fields.compression) && fields.height < 0)
        return Failure(Reason::BmpTopDownRunLength);

    // DevIL multiplies the sizes in 32 bits: huge ones overflow its
    // allocation, and a tiny file must not make it allocate gigabytes.
    const std::int64_t rows = fields.height < 0 ? -fields.height : fields.height;
    if (Result size = CheckPictureSize(fields.width, rows); !size)
        return size;

    // DevIL reports whatever count the header claims as the palette's size.
    if (fields.bits <= 8 && fields.colorsUsed > (1u << fields.bits))
        return Failure(Reason::BmpBadPaletteCount, fields.colorsUsed);

    // DevIL seeks to the offset (and to the masks before it) as a signed
    // value without bounds: a wild offset reads a wild address.
    const std::int64_t pixelOffset = fields.pixelOffset;
    if (pixelOffset < HeadersEnd(fields))
        return Failure(Reason::BmpBadPixelOffset, pixelOffset, HeadersEnd(fields));
    if (pixelOffset >= fileSize)
        return Failure(Reason::BmpBadPixelOffset, pixelOffset);
    if (IsRle(fields.compression))
    {
        usableBytes = std::min(fileSize, pixelOffset + LongestRunLengthCodes(fields.width, rows));
        return {};
    }
    // A stored picture must hold every row it declares.
    const std::int64_t rowsEnd = pixelOffset + StoredRowBytes(fields.width, fields.bits) * rows;
    if (rowsEnd > fileSize)
        return Failure(Reason::BmpMissingRows, rowsEnd - pixelOffset, fileSize - pixelOffset);
    usableBytes = rowsEnd;
    return {};
}

bool BmpCanSkipPixels(const std::uint8_t* bytes)
{
    return IsRle(ReadFields(bytes).compression);
}

std::size_t RewriteToBasicInfoHeader(std::uint8_t* bytes, std::size_t size)
{
    const std::uint32_t headerSize = DwordAt(bytes, kHeaderSizeAt);
    if (headerSize != kV4HeaderBytes && headerSize != kV5HeaderBytes)
        return size;

    std::uint8_t masks[kMaskBytes];
    std::memcpy(masks, bytes + kHeaderMasksAt, kMaskBytes);
    const std::size_t maskBytes =
        DwordAt(bytes, kCompressionAt) == kCompressionBitFields ? kMaskBytes : 0;

    // Everything moves towards the start, so each move reads bytes that no
    // earlier move has overwritten.
    const std::size_t oldPaletteAt = kFileHeaderBytes + headerSize;
    const std::size_t oldPixelsAt = DwordAt(bytes, kPixelOffsetAt);
    const std::size_t paletteBytes = oldPixelsAt - oldPaletteAt;
    const std::size_t pixelBytes = size - oldPixelsAt;

    std::uint8_t* palette = bytes + kMinimumFileBytes;
    std::memmove(palette, bytes + oldPaletteAt, paletteBytes);
    std::memcpy(palette + paletteBytes, masks, maskBytes);
    const std::size_t newPixelsAt = kMinimumFileBytes + paletteBytes + maskBytes;
    std::memmove(bytes + newPixelsAt, bytes + oldPixelsAt, pixelBytes);

    const std::size_t newSize = newPixelsAt + pixelBytes;
    PutDwordAt(bytes, kFileSizeAt, static_cast<std::uint32_t>(newSize));
    PutDwordAt(bytes, kPixelOffsetAt, static_cast<std::uint32_t>(newPixelsAt));
    PutDwordAt(bytes, kHeaderSizeAt, kInfoHeaderBytes);
    return newSize;
}
