// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/BaseObject.h"
#include "image/ColorTable.h"

#include <cstdint>
#include <cstdio>

class CBinaryFile;

// The one depth whose pixels are indices into the colour table: only such a
// picture has colours to load, save or match.
constexpr std::int32_t kIndexedBitsPerPixel = 8;

// The in-memory picture: 8, 16, 24 or 32 bits per pixel, rows top first with
// nothing between them, and its own colour table.
//   8 bits: an index into m_colorTable
//  16 bits: a little-endian word, blue bits 0-4, green 5-9, red 10-14
//  24 bits: red, green, blue
//  32 bits: red, green, blue, alpha
class CSpriteImage : public CBaseObject
{
public:
    CSpriteImage() = default;
    CSpriteImage(const CSpriteImage& other);
    // Deep copy. When the pixels cannot be allocated (or their byte count
    // does not fit a signed 32-bit value) the image is left empty.
    CSpriteImage& operator=(const CSpriteImage& other);
    ~CSpriteImage() override;

    // False for another depth, a width or height below 1, a byte count
    // beyond the signed 32-bit range or a failed allocation; the image is
    // then unchanged. The new buffer's contents are undefined.
    bool Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
    void Free();

    std::int32_t GetWidth() const { return m_nWidth; }
    std::int32_t GetHeight() const { return m_nHeight; }
    std::int32_t GetBitsPerPixel() const { return m_nBitsPerPixel; }
    std::uint8_t* GetPixels() { return m_pPixels; }
    const std::uint8_t* GetPixels() const { return m_pPixels; }
    // Bytes in the pixel buffer: bits per pixel / 8 * width * height.
    std::int32_t GetPixelBytes() const;

    bool SetColor(std::int32_t index, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                  std::uint8_t alpha);
    ColorEntry* GetColor(std::int32_t index);
    const ColorEntry* GetColor(std::int32_t index) const;

    // The native "ZARN" format over an open runtime stream: header and raw
    // pixel rows; the colour table is not part of it.
    virtual bool Serialize(std::FILE* stream, bool loading);

    // Sprite files (formats/SpriteFile.cpp). These and the BMP pairs below
    // answer only whether they succeeded; formats/SpriteFile.h and
    // formats/BmpFile.h tell why not.
    bool ReadSPR(CBinaryFile& file);
    bool ReadSP2(CBinaryFile& file);
    bool LoadSPR(const char* path);
    bool LoadSP2(const char* path);

    // BMP export (formats/BmpWriter.cpp).
    bool WriteBMP(CBinaryFile& file) const;
    bool SaveBMP(const char* path) const;

    // BMP import through DevIL (formats/BmpImport.cpp).
    bool ReadBMP(CBinaryFile& file);
    bool LoadBMP(const char* path);

    // The byte count of a shape, or -1 when the depth is not one of 8, 16,
    // 24, 32, a side is below 1, or the count overflows a signed 32-bit value.
    static std::int64_t ByteCountFor(std::int32_t width, std::int32_t height,
                                     std::int32_t bitsPerPixel);

    CColorTable m_colorTable;

private:
    bool SaveNative(std::FILE* stream) const;
    bool LoadNative(std::FILE* stream);

    std::int32_t m_nBitsPerPixel = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::uint8_t* m_pPixels = nullptr;
};
