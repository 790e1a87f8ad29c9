#include "io/BinaryFile.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

using Bytes = std::vector<std::uint8_t>;

TEST(BinaryFile, ValuesAndBlocksAreLittleEndianAndCutShortAtTheEnd)
{
    TempFolder folder;
    const std::string path = folder.Path("data.bin");
    std::uint8_t block[5] = {};
    {
        CBinaryFile file;
        ASSERT_EQ(file.Open(path.c_str(), "wb", 1), 1);
        EXPECT_EQ(file.WriteWord(0x1234) + file.WriteDword(0x12345678) + file.WriteByte(0xAB) +
                      file.WriteByte(0xCD) + file.WriteBlock(block, 0),
                  5);
        EXPECT_EQ(file.WriteBlock(nullptr, 1), 0);
        EXPECT_EQ(file.GetStatus(), StatusBadInput);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB, 0xCD}));

    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadWord(), 0x1234);
    EXPECT_EQ(file.ReadDword(), 0x12345678u);
    EXPECT_EQ(file.ReadByte(), 0xAB);
    EXPECT_EQ(file.GetStatus(), StatusOk);
    EXPECT_EQ(file.ReadWord(), 0); // a value cut short reads as zero and is consumed
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(file.Tell(), 8);

    ASSERT_EQ(file.Seek(4, SEEK_SET), 1);
    EXPECT_EQ(file.GetLength(), 8);
    EXPECT_EQ(file.Tell(), 4);
    EXPECT_EQ(file.ReadBlock(block, 0), 1);
    EXPECT_EQ(file.ReadBlock(nullptr, 2), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(file.ReadBlock(block, 5), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(block[3], 0xCD); // what arrived is kept
    EXPECT_EQ(file.Seek(50000, SEEK_SET), 1);
    EXPECT_EQ(file.Tell(), 50000);
}

TEST(BinaryFile, EverythingAnswersNotOpenWithoutAFile)
{
    CBinaryFile file;
    std::uint8_t byte = 0;
    char text[8];
    // One mark per operation in call order: '.' for a 0 answer and StatusNotOpen.
    const auto answer = [&](auto result)
    { return result == decltype(result)(0) && file.GetStatus() == StatusNotOpen ? '.' : 'X'; };
    // clang-format off
    const std::string answers = {
        answer(file.ReadByte()), answer(file.ReadWord()), answer(file.ReadDword()),
        answer(file.ReadBlock(&byte, 1)), answer(file.ReadString(text, sizeof text)),
        answer(file.ReadInt(nullptr)), answer(file.ReadToken(text, sizeof text, nullptr)),
        answer(file.WriteByte(1)), answer(file.WriteWord(1)), answer(file.WriteDword(1)),
        answer(file.WriteBlock(&byte, 1)), answer(file.WriteText("a")),
        answer(file.WriteString("a")), answer(file.Seek(0, SEEK_SET)), answer(file.Tell()),
        answer(file.GetLength())};
    // clang-format on
    EXPECT_EQ(answers, std::string(16, '.'));
    EXPECT_EQ(file.IsOpen(), 0);
}

TEST(BinaryFile, OnlyRegularFilesOpen)
{
    TempFolder folder;
    // A FIFO with no writer would block, a device would read forever.
    const std::string fifo = folder.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path :
         {folder.Path("missing.spr"), folder.Root().string(), fifo, std::string("/dev/zero")})
    {
        CBinaryFile file;
        EXPECT_EQ(file.Open(path.c_str(), "rb", 1), 0) << path;
        EXPECT_EQ(file.IsOpen(), 0);
        EXPECT_EQ(file.GetStatus(), StatusOpenFailed);
    }
}

TEST(BinaryFile, StringsCarryTheirLengthAndRespectTheBuffer)
{
    TempFolder folder;
    const std::string path = folder.Path("text.bin");
    {
        CBinaryFile file;
        ASSERT_EQ(file.Open(path.c_str(), "wb", 1), 1);
        EXPECT_EQ(file.WriteString("abc"), 1);
        EXPECT_EQ(file.WriteString(nullptr), 0);
        EXPECT_EQ(file.GetStatus(), StatusBadInput);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{3, 0, 0, 0, 'a', 'b', 'c', 0}));

    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    char tooSmall[3] = {'x', 'x', 'x'};
    EXPECT_EQ(file.ReadString(tooSmall, sizeof tooSmall), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(tooSmall[0], 'x');
    char fits[4];
    ASSERT_EQ(file.Seek(0, SEEK_SET), 1);
    EXPECT_EQ(file.ReadString(fits, sizeof fits), 1);
    EXPECT_STREQ(fits, "abc");
}

TEST(BinaryFile, WritesToAFullDeviceFail)
{
    CBinaryFile file;
    ASSERT_EQ(file.Open("/dev/full", "wb", 1), 1);
    const Bytes block(1 << 16, 1);
    // The runtime buffers small writes; the failure surfaces at the latest
    // when the buffer is flushed.
    const bool blockFailed = file.WriteBlock(block.data(), block.size()) == 0;
    EXPECT_TRUE(blockFailed || file.Sync() == 0);
    file.WriteByte(1);
    EXPECT_EQ(file.Close(), 0);
}

} // namespace
