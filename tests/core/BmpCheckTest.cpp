#include "formats/BmpCheck.h"
#include "tests/core/BmpFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Which reason each crafted file is refused for is checked with the import,
// which must never hand such a file to DevIL.
TEST(BmpCheck, ModernHeadersBecomeTheBasicHeaderOfTheSamePicture)
{
    const auto sixteenColours = [](std::uint32_t headerSize)
    {
        BmpPicture picture = IndexedBmp({{1, 2, 3}, {4, 5, 15}}, 8, 16);
        picture.headerSize = headerSize;
        return BuildBmp(picture);
    };
    const std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> cases[] = {
        {sixteenColours(124), sixteenColours(40)},
        {sixteenColours(108), sixteenColours(40)},
        {BuildBmp(BitFieldsBmp(124)), BuildBmp(BitFieldsBmp())},
        {BuildBmp(BitFieldsBmp(108)), BuildBmp(BitFieldsBmp())},
        {sixteenColours(40), sixteenColours(40)}};
    for (auto [modern, basic] : cases)
    {
        SCOPED_TRACE(std::to_string(modern[14]) + "-byte header, " + std::to_string(modern[28]) +
                     " bits");
        ASSERT_EQ(CheckBmpForDecoding(modern.data(), modern.size()), BmpCheckResult::Accepted);
        modern.resize(RewriteToBasicInfoHeader(modern.data(), modern.size()));
        EXPECT_EQ(modern, basic);
    }
}

} // namespace
