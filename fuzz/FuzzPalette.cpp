// SPDX-License-Identifier: GPL-3.0-or-later
// Hands arbitrary bytes to the palette reader. It fails with a reason or
// gives 1 to 256 opaque colours; those colours written in the format they
// were read from (and as colour words, where the count fits) read again as
// the same colour words (unless their bytes begin with another format's
// signature, which makes them that format).
#include "formats/PaletteFile.h"
#include "formats/SpriteFile.h"
#include "fuzz/FuzzSupport.h"

namespace
{

constexpr std::uint8_t kOpaque = 255;

std::vector<std::uint16_t> Words(const std::vector<ColorEntry>& colors)
{
    std::vector<std::uint16_t> words;
    for (const ColorEntry& color : colors)
        words.push_back(EntryToColorWord(color));
    return words;
}

void RequireRoundTrip(const std::vector<ColorEntry>& colors, PaletteFormat format)
{
    std::vector<std::uint8_t> bytes;
    FuzzRequire(bool(EncodePalette(colors, format, bytes)), "a read palette encodes");
    // Colour words and colour tables have no signature of their own: bytes
    // that begin with another format's are that format, read or refused as it.
    const std::optional<PaletteFormat> signature = PaletteSignatureOf(bytes.data(), bytes.size());
    if (signature && *signature != format)
        return;
    PaletteContent again;
    FuzzRequire(bool(ParsePalette(bytes.data(), bytes.size(), again)), "an encoded palette reads");
    FuzzRequire(again.format == format, "an encoded palette reads as its format");
    FuzzRequire(Words(again.colors) == Words(colors), "a palette keeps its colour words");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PaletteContent palette;
    const Result result = ParsePalette(data, size, palette);
    if (!result)
    {
        FuzzRequire(result.reason != Reason::None, "a failed read says why");
        FuzzRequire(palette.colors.empty(), "a failed read gives no colours");
        return 0;
    }
    FuzzRequire(!palette.colors.empty() && palette.colors.size() <= kMaxPaletteColors,
                "a palette holds 1 to 256 colours");
    for (const ColorEntry& color : palette.colors)
        FuzzRequire(color.alpha == kOpaque, "colours read are opaque");
    RequireRoundTrip(palette.colors, palette.format);
    if (palette.colors.size() == std::size_t(kPaletteRowSize) ||
        palette.colors.size() == std::size_t(kSprColorCount))
        RequireRoundTrip(palette.colors, PaletteFormat::ColorWords);
    return 0;
}
