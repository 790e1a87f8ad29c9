// Imports that fail and open/save cycles, a thousand of each. Every cycle
// must give the outcome the first one gave; in the sanitizer build
// LeakSanitizer then checks that none of them left memory behind, and the
// folder listing shows that none left a file behind.
#include "doc/SpriteDocument.h"
#include "formats/BmpCheck.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "tests/core/BmpFiles.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

namespace
{

constexpr int kCycles = 1000;

// Failures of every stage: no file, a folder, nothing to read, not a BMP,
// headers cut short, and a picture that DevIL itself gives up on: 4-bit
// runs, 4 x 245, whose data ends after two rows without the end mark.
TEST(LeakCycles, FailedImportsLeaveNothingBehind)
{
    TempFolder folder;
    // Header size, width, height, bits, run-length compression, colours used,
    // a black palette, no masks, the runs.
    const BmpPicture runs{
        40, 4, 245, 4, 2, 16, std::vector<std::uint8_t>(64), {}, {4, 0x12, 0, 0, 4, 0x34, 0, 0}};
    const std::vector<std::uint8_t> cutShort = BuildBmp(runs);
    std::int64_t usable = 0;
    ASSERT_TRUE(CheckBmpHeader(cutShort.data(), cutShort.size(), cutShort.size(), usable));
    WriteBytes(folder.Path("cut.bmp"), cutShort);
    WriteBytes(folder.Path("empty.bmp"), {});
    WriteBytes(folder.Path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
    WriteBytes(folder.Path("short.bmp"), {cutShort.begin(), cutShort.begin() + 30});
    std::filesystem::create_directory(folder.Path("folder.bmp"));
    const char* const names[] = {"cut.bmp",  "missing.bmp", "empty.bmp",
                                 "text.bmp", "short.bmp",   "folder.bmp"};
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        CSpriteImage image;
        ASSERT_FALSE(image.LoadBMP(folder.Path(names[cycle % 6]).c_str())) << "cycle " << cycle;
    }
}

TEST(LeakCycles, OpenSaveCyclesLeaveNothingBehind)
{
    TempFolder folder;
    const std::string original = folder.Path("sheet.spr");
    const std::string copy = folder.Path("copy.spr");
    const std::string refused = folder.Path("missing/copy.spr");
    // No byte above 0x7F: colour bit 15 is not kept, so the copy compares equal.
    std::vector<std::uint8_t> bytes(kSprSheetBytes + 100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 127);
    WriteBytes(original, bytes);

    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        CSpriteDocument document;
        ASSERT_TRUE(document.Open(original).result);
        ASSERT_TRUE(document.SaveAs(copy)) << "cycle " << cycle;
        ASSERT_EQ(document.SaveAs(refused).message, Message::CannotCreate) << "cycle " << cycle;
    }
    EXPECT_EQ(ReadBytes(copy), bytes);
    EXPECT_EQ(FileNames(folder.Root()), (std::set<std::string>{"sheet.spr", "copy.spr"}));
}

} // namespace
