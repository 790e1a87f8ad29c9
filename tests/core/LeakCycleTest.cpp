// Imports that fail and open/save cycles, a thousand of each. Every cycle
// must give the outcome the first one gave; in the sanitizer build
// LeakSanitizer then checks that none of them left memory behind, and the
// folder listing shows that none left a file behind.
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCycles = 1000;

std::vector<std::uint8_t> SprWithTrailingBlock()
{
    std::vector<std::uint8_t> bytes(kSprSheetBytes + 100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    for (std::int32_t color = 0; color < kSprColorCount; ++color)
        bytes[2 * color + 1] &= 0x7F; // bit 15 is not kept, so the copy compares equal
    return bytes;
}

std::size_t EntriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

TEST(LeakCycles, OpenSaveCyclesLeaveNothingBehind)
{
    TempFolder folder;
    const std::string original = folder.Path("sheet.spr");
    const std::string copy = folder.Path("copy.spr");
    const std::vector<std::uint8_t> bytes = SprWithTrailingBlock();
    WriteBytes(original, bytes);
    const std::string refused = folder.Path("missing/copy.spr");

    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        CSpriteImage image;
        ASSERT_TRUE(image.LoadSPR(original.c_str()));
        TrailingBlock trailing;
        ASSERT_TRUE(ReadTrailingBlock(original.c_str(), trailing));
        const SpriteSaveResult saved =
            SaveSpriteFile(&image, copy.c_str(), SpriteLayout::Spr, trailing.data, trailing.size);
        const SpriteSaveResult refusedSave =
            SaveSpriteFile(&image, refused.c_str(), SpriteLayout::Spr, trailing.data, trailing.size);
        delete[] trailing.data;
        ASSERT_EQ(saved, SpriteSaveResult::Written) << "cycle " << cycle;
        ASSERT_EQ(refusedSave, SpriteSaveResult::CannotCreate) << "cycle " << cycle;
    }
    EXPECT_EQ(ReadBytes(copy), bytes);
    EXPECT_EQ(EntriesIn(folder.Root()), 2u);
}

} // namespace
