#include "formats/BmpCheck.h"
#include "formats/ImportMemory.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <IL/il.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{

constexpr std::int32_t kIndexedColorCount = 256;
constexpr std::uint8_t kOpaque = 255;
constexpr ILint kFourBytePaletteEntry = 4;
constexpr ILint kThreeBytePaletteEntry = 3;

// Run-length codes may move past pixels and end a picture early, and DevIL
// leaves those pixels as its allocator gave them; zeroed blocks make them 0,
// never heap garbage. Every other BMP decoder of DevIL's writes each byte of
// its pixels and palette or fails, so those pictures need no zeroing.
void* ILAPIENTRY AllocateForDevil(const ILsizei size)
{
    return AllocateImportMemory(size);
}

void* ILAPIENTRY AllocateZeroedForDevil(const ILsizei size)
{
    return AllocateZeroedImportMemory(size);
}

void ILAPIENTRY ReleaseForDevil(const void* block)
{
    ReleaseImportMemory(const_cast<void*>(block));
}

struct CFileBlockRelease
{
    void operator()(std::uint8_t* block) const { ReleaseImportMemory(block); }
};
using CFileBlock = std::unique_ptr<std::uint8_t[], CFileBlockRelease>;

// DevIL's state is global: each import starts it with one fresh image bound
// and, on every path, deletes that image and shuts DevIL down again.
class CDevilSession
{
public:
    explicit CDevilSession(bool zeroedMemory)
    {
        ilSetMemory(zeroedMemory ? AllocateZeroedForDevil : AllocateForDevil, ReleaseForDevil);
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        ilGenImages(1, &m_name);
        ilBindImage(m_name);
    }
    ~CDevilSession()
    {
        ilDeleteImages(1, &m_name);
        ilShutDown();
        ilSetMemory(nullptr, nullptr); // DevIL's own allocator again
    }
    CDevilSession(const CDevilSession&) = delete;
    CDevilSession& operator=(const CDevilSession&) = delete;

private:
    ILuint m_name = 0;
};

// The colours of an indexed picture: 256 entries, DevIL's palette first with
// alpha 255, the rest all zero. DevIL's entries run blue, green, red (and an
// unused fourth byte); a palette longer than the table is cut to fit it.
bool TakePalette(CColorTable& table)
{
    if (!table.SetSize(kIndexedColorCount))
        return false;
    const ILint count = ilGetInteger(IL_PALETTE_NUM_COLS);
    const ILint entryBytes = ilGetInteger(IL_PALETTE_BPP) == kFourBytePaletteEntry
                                 ? kFourBytePaletteEntry
                                 : kThreeBytePaletteEntry;
    if (count <= 0)
        return true;
    const ILubyte* palette = ilGetPalette();
    if (palette == nullptr)
        return true;
    const ILint kept = std::min<ILint>(count, kIndexedColorCount);
    for (ILint i = 0; i < kept; ++i)
    {
        const ILubyte* entry = palette + i * entryBytes;
        table.SetAt(i, entry[2], entry[1], entry[0], kOpaque);
    }
    return true;
}

// The image holds red, green, blue (and alpha); DevIL decodes BMP pixels as
// blue, green, red.
void ConvertToImageChannelOrder(ILint bitsPerPixel)
{
    if (bitsPerPixel == 24)
        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    else if (bitsPerPixel == 32)
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
}

// Copies DevIL's pixels into the image's buffer, top row first.
bool CopyDecodedPixels(std::uint8_t* target, std::int32_t rowBytes, std::int32_t rows)
{
    const std::size_t totalBytes = std::size_t(rowBytes) * std::size_t(rows);
    // Never read past what DevIL holds, whatever it reported before.
    const ILint heldBytes = ilGetInteger(IL_IMAGE_SIZE_OF_DATA);
    if (heldBytes < 0 || std::size_t(heldBytes) < totalBytes)
        return false;
    // OS/2 pictures come back bottom row first although the upper-left
    // origin was asked for.
    const bool bottomFirst = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    const ILubyte* data = ilGetData();
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

} // namespace

bool CSpriteImage::ReadBMP(CBinaryFile& file)
{
    const std::int32_t size = file.GetLength();
    if (size < 0)
        return false;
    // Declared before the DevIL session, so it is freed after DevIL is shut down.
    CFileBlock block(static_cast<std::uint8_t*>(AllocateImportMemory(std::size_t(size))));
    if (!block)
        return false;
    if (!file.ReadBlock(block.get(), std::size_t(size)))
        return false;
    if (CheckBmpForDecoding(block.get(), std::size_t(size)) != BmpCheckResult::Accepted)
        return false;
    const std::size_t decodedSize = RewriteToBasicInfoHeader(block.get(), std::size_t(size));

    CDevilSession devil(BmpCanSkipPixels(block.get()));
    if (!ilLoadL(IL_BMP, block.get(), static_cast<ILuint>(decodedSize)))
        return false;
    const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint bitsPerPixel = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
    if (bitsPerPixel < 8)
        return false;
    if (bitsPerPixel == 8 && !TakePalette(m_colorTable))
        return false;
    ConvertToImageChannelOrder(bitsPerPixel);
    if (!Create(width, height, bitsPerPixel))
        return false;
    if (!CopyDecodedPixels(m_pPixels, width * (bitsPerPixel / 8), height))
    {
        Free();
        return false;
    }
    return true;
}

bool CSpriteImage::LoadBMP(const char* path)
{
    CBinaryFile file;
    if (!file.Open(path, "rb", 1))
        return false;
    return ReadBMP(file);
}
