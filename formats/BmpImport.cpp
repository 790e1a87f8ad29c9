// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/BmpCheck.h"
#include "formats/BmpFile.h"
#include "formats/DevilLibrary.h"
#include "formats/FileFailure.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace
{

constexpr std::int32_t kIndexedColorCount = 256;
constexpr std::uint8_t kOpaque = 255;
constexpr ILint kFourBytePaletteEntry = 4;
constexpr ILint kThreeBytePaletteEntry = 3;
// DevIL decodes an indexed picture to 8 bits a pixel and every other one,
// 16- and 32-bit ones included, to 24 bits.
constexpr std::int32_t kDirectColourBits = 24;

// Run-length codes may move past pixels and end a picture early, and DevIL
// leaves those pixels as its allocator gave them; zeroed blocks make them 0,
// never heap garbage. Every other BMP decoder of DevIL's writes each byte of
// its pixels and palette or fails, so those pictures keep DevIL's allocator.
void* ILAPIENTRY AllocateZeroedForDevil(const ILsizei size)
{
    return std::calloc(1, size);
}

void ILAPIENTRY ReleaseForDevil(const void* block)
{
    std::free(const_cast<void*>(block));
}

// DevIL's state is global: each import starts it with one fresh image bound
// and, on every path, deletes that image and shuts DevIL down again. One
// import runs at a time, whatever thread reads the picture.
class CDevilSession
{
public:
    CDevilSession(const DevilFunctions& il, bool zeroedMemory) : m_il(il), m_only(s_devil)
    {
        if (zeroedMemory)
            il.SetMemory(AllocateZeroedForDevil, ReleaseForDevil);
        il.Init();
        il.Enable(IL_ORIGIN_SET);
        il.OriginFunc(IL_ORIGIN_UPPER_LEFT);
        il.GenImages(1, &m_name);
        il.BindImage(m_name);
    }
    ~CDevilSession()
    {
        m_il.DeleteImages(1, &m_name);
        m_il.ShutDown();
        m_il.SetMemory(nullptr, nullptr); // DevIL's own allocator again
    }
    CDevilSession(const CDevilSession&) = delete;
    CDevilSession& operator=(const CDevilSession&) = delete;

private:
    static inline std::mutex s_devil;
    const DevilFunctions& m_il;
    std::lock_guard<std::mutex> m_only;
    ILuint m_name = 0;
};

// The colours of an indexed picture: 256 entries, DevIL's palette first with
// alpha 255, the rest all zero. DevIL's entries run blue, green, red (and an
// unused fourth byte); a palette longer than the table is cut to fit it.
// defined: how many entries came from the palette.
bool TakePalette(const DevilFunctions& il, CColorTable& table, std::int32_t& defined)
{
    defined = 0;
    if (!table.SetSize(kIndexedColorCount))
        return false;
    const ILint count = il.GetInteger(IL_PALETTE_NUM_COLS);
    const ILint entryBytes = il.GetInteger(IL_PALETTE_BPP) == kFourBytePaletteEntry
                                 ? kFourBytePaletteEntry
                                 : kThreeBytePaletteEntry;
    if (count <= 0)
        return true;
    const ILubyte* palette = il.GetPalette();
    if (palette == nullptr)
        return true;
    const ILint kept = std::min<ILint>(count, kIndexedColorCount);
    for (ILint i = 0; i < kept; ++i)
    {
        const ILubyte* entry = palette + i * entryBytes;
        table.SetAt(i, entry[2], entry[1], entry[0], kOpaque);
    }
    defined = kept;
    return true;
}

// The image holds red, green, blue (and alpha); DevIL decodes BMP pixels as
// blue, green, red.
void ConvertToImageChannelOrder(const DevilFunctions& il, ILint bitsPerPixel)
{
    if (bitsPerPixel == 24)
        il.ConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    else if (bitsPerPixel == 32)
        il.ConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
}

// Copies DevIL's pixels into the image's buffer, top row first.
bool CopyDecodedPixels(const DevilFunctions& il, std::uint8_t* target, std::int32_t rowBytes,
                       std::int32_t rows)
{
    const std::size_t totalBytes = std::size_t(rowBytes) * std::size_t(rows);
    // Never read past what DevIL holds, whatever it reported before.
    const ILint heldBytes = il.GetInteger(IL_IMAGE_SIZE_OF_DATA);
    if (heldBytes < 0 || std::size_t(heldBytes) < totalBytes)
        return false;
    // OS/2 pictures come back bottom row first although the upper-left
    // origin was asked for.
    const bool bottomFirst = il.GetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    const ILubyte* data = il.GetData();
    if (data == nullptr)
        return false;
    if (!bottomFirst)
    {
        std::memcpy(target, data, totalBytes);
        return true;
    }
    for (std::int32_t row = 0; row < rows; ++row)
        std::memcpy(target + std::size_t(row) * rowBytes,
                    data + std::size_t(rows - 1 - row) * rowBytes, std::size_t(rowBytes));
    return true;
}

// The start of the file, as much of it as the headers can take, read and
// checked. usableBytes: how much of the file decoding can use.
struct CheckedHeader
{
    std::uint8_t bytes[kBmpHeaderBytes] = {};
    std::size_t size = 0;
    std::int64_t usableBytes = 0;
};

Result ReadCheckedHeader(CBinaryFile& file, CheckedHeader& header)
{
    const std::int64_t fileSize = file.GetSize();
    if (fileSize < 0)
        return Failure(Reason::LengthUnknown);
    header.size = static_cast<std::size_t>(std::min<std::int64_t>(fileSize, kBmpHeaderBytes));
    errno = 0;
    if (!file.ReadBlock(header.bytes, header.size))
        return FailureFromErrno(Reason::EndedEarly);
    return CheckBmpHeader(header.bytes, header.size, fileSize, header.usableBytes);
}

} // namespace

Result ReadBmpForDecoding(CBinaryFile& file, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    CheckedHeader checked;
    if (Result read = ReadCheckedHeader(file, checked); !read)
        return read;
    const std::size_t headerBytes = checked.size;
    const std::int64_t usableBytes = checked.usableBytes;

    try
    {
        bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(usableBytes, headerBytes)));
    }
    catch (const std::bad_alloc&)
    {
        return Failure(Reason::OutOfMemory);
    }
    std::memcpy(bytes.data(), checked.bytes, headerBytes);
    errno = 0;
    if (bytes.size() > headerBytes &&
        !file.ReadBlock(bytes.data() + headerBytes, bytes.size() - headerBytes))
        return FailureFromErrno(Reason::EndedEarly);
    bytes.resize(static_cast<std::size_t>(usableBytes));
    bytes.resize(RewriteToBasicInfoHeader(bytes.data(), bytes.size()));
    return {};
}

Result ReadBmpHeader(CBinaryFile& file, PictureHeader& header)
{
    CheckedHeader checked;
    if (Result read = ReadCheckedHeader(file, checked); !read)
        return read;
    const BmpDimensions size = DimensionsOfBmp(checked.bytes);
    header.width = std::int32_t(size.width);
    header.height = std::int32_t(size.rows);
    header.bitsPerPixel =
        size.bitsPerPixel <= kIndexedBitsPerPixel ? kIndexedBitsPerPixel : kDirectColourBits;
    return {};
}

Result ReadBmpPicture(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome)
{
    std::vector<std::uint8_t> bytes;
    if (Result read = ReadBmpForDecoding(file, bytes); !read)
        return read;

    std::string unloaded;
    const DevilFunctions* devil = LoadDevil(unloaded);
    if (!devil)
    {
        Result missing = Failure(Reason::DecoderMissing);
        missing.detail = unloaded;
        return missing;
    }
    const DevilFunctions& il = *devil;
    const CDevilSession session(il, BmpCanSkipPixels(bytes.data()));
    if (!il.LoadL(IL_BMP, bytes.data(), static_cast<ILuint>(bytes.size())))
        return Failure(Reason::DecoderRefused);
    // DevIL decoded into its own memory: the file's bytes go before the
    // picture is copied out, so a large one is never held three times.
    std::vector<std::uint8_t>().swap(bytes);
    const ILint width = il.GetInteger(IL_IMAGE_WIDTH);
    const ILint height = il.GetInteger(IL_IMAGE_HEIGHT);
    const ILint bitsPerPixel = il.GetInteger(IL_IMAGE_BITS_PER_PIXEL);
    if (bitsPerPixel < 8)
        return Failure(Reason::DepthBelowEight, bitsPerPixel);
    std::int32_t defined = 0;
    if (bitsPerPixel == 8 && !TakePalette(il, image.m_colorTable, defined))
        return Failure(Reason::OutOfMemory);
    ConvertToImageChannelOrder(il, bitsPerPixel);
    if (!image.Create(width, height, bitsPerPixel))
        return Failure(Reason::OutOfMemory);
    if (!CopyDecodedPixels(il, image.GetPixels(), width * (bitsPerPixel / 8), height))
    {
        image.Free();
        return Failure(Reason::DecoderRefused);
    }
    if (outcome)
        outcome->definedColors = defined;
    return {};
}

Result LoadBmpPicture(const char* path, CSpriteImage& image, ImportOutcome* outcome)
{
    CBinaryFile file;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    return ReadBmpPicture(file, image, outcome);
}

bool CSpriteImage::ReadBMP(CBinaryFile& file)
{
    return ReadBmpPicture(file, *this).Ok();
}

bool CSpriteImage::LoadBMP(const char* path)
{
    return LoadBmpPicture(path, *this).Ok();
}
