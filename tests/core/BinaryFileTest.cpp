#include "io/BinaryFile.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

using Bytes = std::vector<std::uint8_t>;

TEST(BinaryFile, ValuesBlocksAndStringsAreLittleEndianAndCutShortAtTheEnd)
{
    TempFolder folder;
    const std::string path = folder.Path("data.bin");
    std::uint8_t block[5] = {};
    {
        CBinaryFile file;
        ASSERT_EQ(file.Open(path.c_str(), "wb", 1), 1);
        EXPECT_EQ(file.WriteWord(0x1234) + file.WriteDword(0x12345678) + file.WriteString("abc") +
                      file.WriteByte(0xCD) + file.WriteBlock(block, 0),
                  5);
        EXPECT_EQ(file.WriteBlock(nullptr, 1) + file.WriteString(nullptr), 0);
        EXPECT_EQ(file.GetStatus(), StatusBadInput);
    }
    EXPECT_EQ(ReadBytes(path),
              (Bytes{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0xCD}));

    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadWord(), 0x1234);
    EXPECT_EQ(file.ReadDword(), 0x12345678u);
    // A string too long for the buffer is refused and the buffer left alone.
    char tooSmall[3] = {'x', 'x', 'x'};
    EXPECT_EQ(file.ReadString(tooSmall, sizeof tooSmall), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(tooSmall[0], 'x');
    char fits[4];
    ASSERT_EQ(file.Seek(6, SEEK_SET), 1);
    EXPECT_EQ(file.ReadString(fits, sizeof fits), 1);
    EXPECT_STREQ(fits, "abc");
    EXPECT_EQ(file.GetStatus(), StatusOk);
    EXPECT_EQ(file.ReadWord(), 0); // a value cut short reads as zero and is consumed
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(file.Tell(), 15);

    ASSERT_EQ(file.Seek(11, SEEK_SET), 1);
    EXPECT_EQ(file.GetLength(), 15);
    EXPECT_EQ(file.ReadBlock(nullptr, 2), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(file.ReadBlock(block, 5), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(block[3], 0xCD); // what arrived is kept
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

} // namespace
