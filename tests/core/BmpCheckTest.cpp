#include "formats/BmpCheck.h"
#include "tests/core/BmpFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

using Bytes = std::vector<std::uint8_t>;

BmpPicture SixteenColours(std::uint32_t headerSize = 40)
{
    BmpPicture picture;
    picture.headerSize = headerSize;
    picture.width = 3;
    picture.height = 2;
    picture.colorsUsed = 16;
    picture.palette.assign(16 * 4, 0x40);
    picture.pixels = StoredRows({{1, 2, 3}, {4, 5, 15}}, 8);
    return picture;
}

BmpPicture BitFields(std::uint32_t headerSize = 40)
{
    BmpPicture picture;
    picture.headerSize = headerSize;
    picture.width = 2;
    picture.height = 2;
    picture.bits = 16;
    picture.compression = 3;
    picture.masks = {0xF800, 0x07E0, 0x001F};
    picture.pixels = StoredRows({{0xF800, 0x07E0}, {0x001F, 0xFFFF}}, 16);
    return picture;
}

TEST(BmpCheck, RefusesEachFieldOutsideWhatTheDecoderSurvives)
{
    using R = BmpCheckResult;
    const std::function<Bytes()> base = [] { return BuildBmp(SixteenColours()); };
    const auto set = [](std::size_t at, std::uint32_t value)
    { return [=](Bytes& b) { SetDword(b, at, value); }; };
    const struct
    {
        const char* what;
        std::function<Bytes()> make;
        std::function<void(Bytes&)> spoil;
        BmpCheckResult expected;
    } cases[] = {
        {"unchanged", base, [](Bytes&) {}, R::Accepted},
        {"53 bytes", base, [](Bytes& b) { b.resize(53); }, R::TooShort},
        {"PNG signature", base, [](Bytes& b) { b[1] = 'P'; }, R::NotBmp},
        {"64-byte header", base, set(14, 64), R::UnsupportedHeader},
        {"2 planes", base, [](Bytes& b) { b[26] = 2; }, R::BadPlanes},
        {"2 bits", base, [](Bytes& b) { b[28] = 2; }, R::BadDepth},
        {"RLE4 at 8 bits", base, set(30, 2), R::BadCompression},
        {"JPEG inside", base, set(30, 4), R::BadCompression},
        {"top-down RLE8", base,
         [](Bytes& b)
         {
             SetDword(b, 30, 1);
             SetDword(b, 22, ~0u);
         },
         R::TopDownRle},
        {"width 0", base, set(18, 0), R::BadWidth},
        {"width 16385", base, set(18, 16385), R::BadWidth},
        {"height 0", base, set(22, 0), R::BadHeight},
        {"height -2^31", base, set(22, 0x80000000u), R::BadHeight},
        {"16384 x 4097", base,
         [](Bytes& b)
         {
             SetDword(b, 18, 16384);
             SetDword(b, 22, 4097);
         },
         R::TooManyPixels},
        {"257 colours", base, set(46, 257), R::BadPaletteCount},
        {"17 colours at 4 bits", base,
         [](Bytes& b)
         {
             b[28] = 4;
             SetDword(b, 46, 17);
         },
         R::BadPaletteCount},
        {"pixels at 0x80000000", base, set(10, 0x80000000u), R::BadPixelOffset},
        {"pixels inside the header", base, set(10, 53), R::BadPixelOffset},
        {"pixels at the end", base, [](Bytes& b) { SetDword(b, 10, std::uint32_t(b.size())); },
         R::BadPixelOffset},
        {"last row cut short", base, [](Bytes& b) { b.pop_back(); }, R::MissingRows},
        {"masks where the header is", [] { return BuildBmp(BitFields()); }, set(10, 65),
         R::BadPixelOffset},
        {"OS/2 width 0", [] { return BuildBmp(SixteenColours(12)); }, [](Bytes& b) { b[18] = 0; },
         R::BadWidth},
    };
    for (const auto& c : cases)
    {
        Bytes bytes = c.make();
        c.spoil(bytes);
        EXPECT_EQ(CheckBmpForDecoding(bytes.data(), bytes.size()), c.expected) << c.what;
    }
}

TEST(BmpCheck, ModernHeadersBecomeTheBasicHeaderOfTheSamePicture)
{
    for (const auto& [modern, basic] : {std::pair{SixteenColours(124), SixteenColours()},
                                        {SixteenColours(108), SixteenColours()},
                                        {BitFields(124), BitFields()},
                                        {BitFields(108), BitFields()}})
    {
        Bytes bytes = BuildBmp(modern);
        ASSERT_EQ(CheckBmpForDecoding(bytes.data(), bytes.size()), BmpCheckResult::Accepted);
        bytes.resize(RewriteToBasicInfoHeader(bytes.data(), bytes.size()));
        EXPECT_EQ(bytes, BuildBmp(basic))
            << modern.headerSize << " bytes, " << modern.bits << " bits";
    }
    const Bytes basic = BuildBmp(SixteenColours());
    Bytes untouched = basic;
    EXPECT_EQ(RewriteToBasicInfoHeader(untouched.data(), untouched.size()), basic.size());
    EXPECT_EQ(untouched, basic);
}

} // namespace
