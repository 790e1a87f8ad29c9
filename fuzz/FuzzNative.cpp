// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as the image's native format. A load either leaves
// the image exactly as it was or gives an image that saves back to the
// bytes it came from, the rows the input lacked as zeros.
#include "fuzz/FuzzSupport.h"
#include "image/SpriteImage.h"

namespace
{

constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kWidthOffset = 12;
constexpr std::size_t kHeightOffset = 16;
constexpr std::size_t kDepthOffset = 20;

// A header may rightly ask for up to 2 GiB of pixels, which the loader
// allocates and fills whatever the input holds. Runs keep to a modest memory
// limit, so such inputs are passed over; sizes the image refuses still run.
constexpr std::int64_t kLargestLoadedImage = 1 << 20;

bool AsksForHugeImage(const std::uint8_t* data, std::size_t size)
{
    const auto field = [&](std::size_t offset)
    { return static_cast<std::int32_t>(FuzzLittleEndian32(data, size, offset)); };
    return CSpriteImage::ByteCountFor(field(kWidthOffset), field(kHeightOffset),
                                      field(kDepthOffset)) > kLargestLoadedImage;
}

// An image that already holds pixels and colours, so that a failed load can
// be seen to change nothing.
void MakeKnownImage(CSpriteImage& image)
{
    FuzzRequire(image.Create(2, 1, 8), "a small image can be created");
    image.GetPixels()[0] = 7;
    image.GetPixels()[1] = 9;
    image.m_colorTable.SetSize(2);
    image.SetColor(1, 10, 20, 30, 40);
}

bool IsKnownImage(const CSpriteImage& image)
{
    return image.GetWidth() == 2 && image.GetHeight() == 1 && image.GetBitsPerPixel() == 8 &&
           image.GetPixels()[0] == 7 && image.GetPixels()[1] == 9;
}

bool HasKnownColors(const CSpriteImage& image)
{
    const ColorEntry* color = image.GetColor(1);
    return image.m_colorTable.GetSize() == 2 && color != nullptr && color->red == 10 &&
           color->green == 20 && color->blue == 30 && color->alpha == 40;
}

std::vector<std::uint8_t> SaveNative(CSpriteImage& image)
{
    CMemoryOutput output;
    FuzzRequire(image.Serialize(output.Stream(), false), "a loaded image saves");
    return output.Written();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (AsksForHugeImage(data, size))
        return 0;

    CSpriteImage image;
    MakeKnownImage(image);
    std::FILE* input = OpenMemoryInput(data, size);
    const bool loaded = image.Serialize(input, true);
    std::fclose(input);

    FuzzRequire(HasKnownColors(image), "loading leaves the colour table alone");
    if (!loaded)
    {
        FuzzRequire(IsKnownImage(image), "a refused load leaves the image as it was");
        return 0;
    }
    const std::size_t length = kHeaderBytes + static_cast<std::size_t>(image.GetPixelBytes());
    FuzzRequire(SaveNative(image) == FirstBytesPadded(data, size, length),
                "a loaded image saves back to the bytes it was loaded from");
    return 0;
}
