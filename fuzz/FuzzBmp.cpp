// SPDX-License-Identifier: GPL-3.0-or-later
// Hands arbitrary bytes to the BMP import, its own checks and DevIL's
// decoder included. An import fails or gives an image of a supported shape;
// an indexed or RGB picture exported as BMP and imported again comes back
// with the same pixels and colours.
#include "fuzz/FuzzSupport.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <cstring>

namespace
{

constexpr std::int32_t kImportedColorCount = 256;
// Exporting and importing again holds several copies of a picture at once;
// the largest pictures the import takes are only imported, to stay within
// the run's memory limit.
constexpr std::int32_t kLargestRoundTrip = 16 << 20;

bool Import(CSpriteImage& image, const std::uint8_t* data, std::size_t size)
{
    CBinaryFile file;
    file.Attach(OpenMemoryInput(data, size), 1);
    return image.ReadBMP(file);
}

bool HasSupportedShape(const CSpriteImage& image)
{
    const std::int64_t bytes =
        CSpriteImage::ByteCountFor(image.GetWidth(), image.GetHeight(), image.GetBitsPerPixel());
    return bytes > 0 && bytes == image.GetPixelBytes() && image.GetPixels() != nullptr &&
           (image.GetBitsPerPixel() != 8 || image.m_colorTable.GetSize() == kImportedColorCount);
}

std::vector<std::uint8_t> Exported(const CSpriteImage& image)
{
    CMemoryOutput output;
    CBinaryFile file;
    file.Attach(output.Stream(), 0);
    FuzzRequire(image.WriteBMP(file), "an imported picture exports");
    return output.Written();
}

bool SameColors(const CSpriteImage& left, const CSpriteImage& right)
{
    if (left.m_colorTable.GetSize() != right.m_colorTable.GetSize())
        return false;
    for (std::int32_t index = 0; index < left.m_colorTable.GetSize(); ++index)
    {
        const ColorEntry* a = left.GetColor(index);
        const ColorEntry* b = right.GetColor(index);
        if (a->red != b->red || a->green != b->green || a->blue != b->blue)
            return false;
    }
    return true;
}

bool SamePicture(const CSpriteImage& left, const CSpriteImage& right)
{
    return left.GetWidth() == right.GetWidth() && left.GetHeight() == right.GetHeight() &&
           left.GetBitsPerPixel() == right.GetBitsPerPixel() &&
           std::memcmp(left.GetPixels(), right.GetPixels(), std::size_t(left.GetPixelBytes())) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CSpriteImage image;
    if (!Import(image, data, size))
        return 0;
    FuzzRequire(HasSupportedShape(image), "an imported picture has a supported shape");

    const std::int32_t depth = image.GetBitsPerPixel();
    if ((depth != 8 && depth != 24) || image.GetPixelBytes() > kLargestRoundTrip)
        return 0;
    const std::vector<std::uint8_t> exported = Exported(image);
    CSpriteImage again;
    FuzzRequire(Import(again, exported.data(), exported.size()), "an exported picture imports");
    FuzzRequire(SamePicture(image, again), "export and import keep the pixels");
    FuzzRequire(SameColors(image, again), "export and import keep the colours");
    return 0;
}
