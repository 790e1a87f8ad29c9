#include "formats/BmpCheck.h"
#include "tests/core/BmpFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;

BmpCheckResult Check(const Bytes& bytes)
{
    return CheckBmpForDecoding(bytes.data(), bytes.size());
}

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

BmpPicture BitFields(std::uint32_t headerSize)
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

TEST(BmpCheck, AcceptsEveryLayoutTheDecoderReadsSafely)
{
    EXPECT_EQ(Check(BuildBmp(SixteenColours())), BmpCheckResult::Accepted);
    EXPECT_EQ(Check(BuildBmp(SixteenColours(124))), BmpCheckResult::Accepted);
    EXPECT_EQ(Check(BuildBmp(BitFields(40))), BmpCheckResult::Accepted);
    EXPECT_EQ(Check(BuildBmp(BitFields(108))), BmpCheckResult::Accepted);
    BmpPicture topDown = SixteenColours();
    topDown.height = -2;
    EXPECT_EQ(Check(BuildBmp(topDown)), BmpCheckResult::Accepted);
    BmpPicture os2 = SixteenColours(12);
    os2.palette.assign(256 * 3, 0);
    EXPECT_EQ(Check(BuildBmp(os2)), BmpCheckResult::Accepted);
}

TEST(BmpCheck, RefusesEachFieldOutsideWhatTheDecoderSurvives)
{
    struct Case
    {
        const char* what;
        std::function<void(Bytes&)> spoil;
        BmpCheckResult expected;
    };
    const Case cases[] = {
        {"53 bytes", [](Bytes& b) { b.resize(53); }, BmpCheckResult::TooShort},
        {"PNG signature", [](Bytes& b) { b[0] = 0x89; b[1] = 'P'; }, BmpCheckResult::NotBmp},
        {"64-byte header", [](Bytes& b) { SetDword(b, 14, 64); }, BmpCheckResult::UnsupportedHeader},
        {"2 planes", [](Bytes& b) { b[26] = 2; }, BmpCheckResult::BadPlanes},
        {"2 bits", [](Bytes& b) { b[28] = 2; }, BmpCheckResult::BadDepth},
        {"RLE4 at 8 bits", [](Bytes& b) { SetDword(b, 30, 2); }, BmpCheckResult::BadCompression},
        {"bit fields at 8 bits", [](Bytes& b) { SetDword(b, 30, 3); }, BmpCheckResult::BadCompression},
        {"JPEG inside", [](Bytes& b) { SetDword(b, 30, 4); }, BmpCheckResult::BadCompression},
        {"top-down RLE8", [](Bytes& b) { SetDword(b, 30, 1); SetDword(b, 22, std::uint32_t(-2)); },
         BmpCheckResult::TopDownRle},
        {"width 0", [](Bytes& b) { SetDword(b, 18, 0); }, BmpCheckResult::BadWidth},
        {"width -3", [](Bytes& b) { SetDword(b, 18, std::uint32_t(-3)); }, BmpCheckResult::BadWidth},
        {"width 100000", [](Bytes& b) { SetDword(b, 18, 100000); }, BmpCheckResult::BadWidth},
        {"height 0", [](Bytes& b) { SetDword(b, 22, 0); }, BmpCheckResult::BadHeight},
        {"height 65536", [](Bytes& b) { SetDword(b, 22, 65536); }, BmpCheckResult::BadHeight},
        {"height INT_MIN", [](Bytes& b) { SetDword(b, 22, 0x80000000u); }, BmpCheckResult::BadHeight},
        {"16384 x 4097",
         [](Bytes& b) { SetDword(b, 18, 16384); SetDword(b, 22, 4097); },
         BmpCheckResult::TooManyPixels},
        {"300 colours", [](Bytes& b) { SetDword(b, 46, 300); }, BmpCheckResult::BadPaletteCount},
        {"offset 0x80000000", [](Bytes& b) { SetDword(b, 10, 0x80000000u); },
         BmpCheckResult::BadPixelOffset},
        {"offset inside the header", [](Bytes& b) { SetDword(b, 10, 40); },
         BmpCheckResult::BadPixelOffset},
        {"offset at the end", [](Bytes& b) { SetDword(b, 10, std::uint32_t(b.size())); },
         BmpCheckResult::BadPixelOffset},
        {"last row cut short", [](Bytes& b) { b.pop_back(); }, BmpCheckResult::MissingRows},
        {"20 colours at 4 bits",
         [](Bytes& b) { b[28] = 4; SetDword(b, 46, 20); }, BmpCheckResult::BadPaletteCount},
    };
    for (const Case& c : cases) {
        Bytes bytes = BuildBmp(SixteenColours());
        c.spoil(bytes);
        EXPECT_EQ(Check(bytes), c.expected) << c.what;
    }
    EXPECT_EQ(CheckBmpForDecoding(nullptr, 0), BmpCheckResult::TooShort);
}

TEST(BmpCheck, BitFieldMasksMustLieBetweenHeaderAndPixels)
{
    Bytes bytes = BuildBmp(BitFields(40));
    SetDword(bytes, 10, 60); // masks would be read from inside the header
    EXPECT_EQ(Check(bytes), BmpCheckResult::BadPixelOffset);
}

TEST(BmpCheck, Os2HeaderReadsItsSixteenBitSizes)
{
    BmpPicture os2 = SixteenColours(12);
    os2.width = 0;
    EXPECT_EQ(Check(BuildBmp(os2)), BmpCheckResult::BadWidth);
    os2.width = 20000;
    EXPECT_EQ(Check(BuildBmp(os2)), BmpCheckResult::BadWidth);
}

TEST(BmpCheck, ModernHeadersBecomeTheBasicHeaderOfTheSamePicture)
{
    for (const auto& [modern, basic] : {std::pair{SixteenColours(124), SixteenColours(40)},
                                        {SixteenColours(108), SixteenColours(40)},
                                        {BitFields(124), BitFields(40)},
                                        {BitFields(108), BitFields(40)}}) {
        Bytes bytes = BuildBmp(modern);
        const std::size_t size = RewriteToBasicInfoHeader(bytes.data(), bytes.size());
        bytes.resize(size);
        EXPECT_EQ(bytes, BuildBmp(basic)) << modern.headerSize << " bytes, " << modern.bits << " bits";
    }
    const Bytes basic = BuildBmp(SixteenColours());
    Bytes untouched = basic;
    EXPECT_EQ(RewriteToBasicInfoHeader(untouched.data(), untouched.size()), basic.size());
    EXPECT_EQ(untouched, basic);
}

} // namespace
