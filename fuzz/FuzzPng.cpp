// SPDX-License-Identifier: GPL-3.0-or-later
// Hands arbitrary bytes to the PNG reader, libpng's checks included. A read
// fails with a reason or gives an image of a supported shape; an 8-, 24- or
// 32-bit picture written as PNG and read again comes back with the same
// pixels and colours.
#include "formats/PngFile.h"
#include "fuzz/FuzzSupport.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <cstring>

namespace
{

constexpr std::int32_t kTableSize = 256;
// Writing and reading again holds several copies of a picture at once.
constexpr std::int32_t kLargestRoundTrip = 16 << 20;

Result Read(CSpriteImage& image, const std::uint8_t* data, std::size_t size)
{
    CBinaryFile file;
    file.Attach(OpenMemoryInput(data, size), 1);
    return ReadPng(file, image);
}

bool HasSupportedShape(const CSpriteImage& image)
{
    const std::int32_t bits = image.GetBitsPerPixel();
    const std::int64_t bytes =
        CSpriteImage::ByteCountFor(image.GetWidth(), image.GetHeight(), bits);
    return bytes > 0 && bytes == image.GetPixelBytes() && image.GetPixels() != nullptr &&
           (bits == 8 || bits == 24 || bits == 32) &&
           (bits != 8 || image.m_colorTable.GetSize() == kTableSize);
}

bool SamePicture(const CSpriteImage& left, const CSpriteImage& right)
{
    if (left.GetWidth() != right.GetWidth() || left.GetHeight() != right.GetHeight() ||
        left.GetBitsPerPixel() != right.GetBitsPerPixel() ||
        std::memcmp(left.GetPixels(), right.GetPixels(), std::size_t(left.GetPixelBytes())) != 0)
        return false;
    // Entries a short palette left unset are zero, alpha included; written
    // out, they come back as black with alpha 255 like every listed one.
    for (std::int32_t i = 0; i < left.m_colorTable.GetSize(); ++i)
    {
        const ColorEntry* a = left.GetColor(i);
        const ColorEntry* b = right.GetColor(i);
        if (a->red != b->red || a->green != b->green || a->blue != b->blue)
            return false;
    }
    return left.m_colorTable.GetSize() == right.m_colorTable.GetSize();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSpriteImage image;
    const Result result = Read(image, data, size);
    if (!result)
    {
        FuzzRequire(result.reason != Reason::None, "a failed read says why");
        FuzzRequire(image.GetPixels() == nullptr, "a failed read leaves no picture");
        return 0;
    }
    FuzzRequire(HasSupportedShape(image), "a read picture has a supported shape");
    if (image.GetPixelBytes() > kLargestRoundTrip)
        return 0;

    CMemoryOutput output;
    CBinaryFile file;
    file.Attach(output.Stream(), 0);
    FuzzRequire(bool(WritePng(file, image, {})), "a read picture writes as PNG");
    const std::vector<std::uint8_t> written = output.Written();
    CSpriteImage again;
    FuzzRequire(bool(Read(again, written.data(), written.size())), "a written PNG reads");
    FuzzRequire(SamePicture(image, again), "writing and reading keep pixels and colours");
    return 0;
}
