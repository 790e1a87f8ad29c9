// Imports that fail and open/save cycles, a thousand of each. Every cycle
// must give the outcome the first one gave; in the sanitizer build
// LeakSanitizer then checks that none of them left memory behind, and the
// folder listing shows that none left a file behind.
#include "formats/BmpCheck.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

namespace
{

constexpr int kCycles = 1000;

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int byteCount)
{
    for (int i = 0; i < byteCount; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 4-bit run-length picture, 4 x 245, whose data ends after two rows
// without the end-of-picture mark. Its headers are sound, so it reaches
// DevIL, which gives up on it.
std::vector<std::uint8_t> RunLengthPictureCutShort()
{
    constexpr std::uint32_t kPaletteBytes = 16 * 4;
    constexpr std::uint32_t kPixelOffset = 14 + 40 + kPaletteBytes;
    const std::vector<std::uint8_t> runs = {4, 0x12, 0, 0, 4, 0x34, 0, 0};
    std::vector<std::uint8_t> bytes = {'B', 'M'};
    PutLittleEndian(bytes, kPixelOffset + std::uint32_t(runs.size()), 4); // file size
    PutLittleEndian(bytes, 0, 4);                                         // reserved
    PutLittleEndian(bytes, kPixelOffset, 4);
    PutLittleEndian(bytes, 40, 4);  // info header size
    PutLittleEndian(bytes, 4, 4);   // width
    PutLittleEndian(bytes, 245, 4); // height, bottom-up
    PutLittleEndian(bytes, 1, 2);   // planes
    PutLittleEndian(bytes, 4, 2);   // bits per pixel
    PutLittleEndian(bytes, 2, 4);   // run-length, 4 bits
    PutLittleEndian(bytes, std::uint32_t(runs.size()), 4);
    PutLittleEndian(bytes, 0, 4);  // horizontal resolution
    PutLittleEndian(bytes, 0, 4);  // vertical resolution
    PutLittleEndian(bytes, 16, 4); // colours used
    PutLittleEndian(bytes, 0, 4);  // colours important
    bytes.resize(kPixelOffset, 0); // a black palette
    bytes.insert(bytes.end(), runs.begin(), runs.end());
    return bytes;
}

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

// Failures of every stage: no file, a folder, nothing to read, not a BMP,
// headers cut short, and a picture that DevIL itself gives up on.
TEST(LeakCycles, FailedImportsLeaveNothingBehind)
{
    TempFolder folder;
    const std::vector<std::uint8_t> cutShort = RunLengthPictureCutShort();
    ASSERT_EQ(CheckBmpForDecoding(cutShort.data(), cutShort.size()), BmpCheckResult::Accepted);
    WriteBytes(folder.Path("cut.bmp"), cutShort);
    WriteBytes(folder.Path("empty.bmp"), {});
    WriteBytes(folder.Path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'});
    WriteBytes(folder.Path("short.bmp"), {cutShort.begin(), cutShort.begin() + 30});
    std::filesystem::create_directory(folder.Path("folder.bmp"));
    const std::vector<std::string> paths = {folder.Path("cut.bmp"),   folder.Path("missing.bmp"),
                                            folder.Path("empty.bmp"), folder.Path("text.bmp"),
                                            folder.Path("short.bmp"), folder.Path("folder.bmp")};
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        CSpriteImage image;
        ASSERT_FALSE(image.LoadBMP(paths[cycle % paths.size()].c_str())) << "cycle " << cycle;
    }
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
        const SpriteSaveResult refusedSave = SaveSpriteFile(
            &image, refused.c_str(), SpriteLayout::Spr, trailing.data, trailing.size);
        delete[] trailing.data;
        ASSERT_EQ(saved, SpriteSaveResult::Written) << "cycle " << cycle;
        ASSERT_EQ(refusedSave, SpriteSaveResult::CannotCreate) << "cycle " << cycle;
    }
    EXPECT_EQ(ReadBytes(copy), bytes);
    EXPECT_EQ(EntriesIn(folder.Root()), 2u);
}

} // namespace
