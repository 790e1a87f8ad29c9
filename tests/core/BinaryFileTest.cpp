#include "io/BinaryFile.h"
#include "tests/core/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>

namespace
{

class BinaryFileTest : public ::testing::Test
{
protected:
    std::string Write(const std::vector<std::uint8_t>& bytes)
    {
        const std::string path = folder.Path("data.bin");
        WriteBytes(path, bytes);
        return path;
    }
    TempFolder folder;
};

TEST_F(BinaryFileTest, ReadsAndWritesLittleEndian)
{
    const std::string path = folder.Path("out.bin");
    {
        CBinaryFile file;
        ASSERT_EQ(file.Open(path.c_str(), "wb", 1), 1);
        EXPECT_EQ(file.WriteWord(0x1234), 1);
        EXPECT_EQ(file.WriteDword(0x12345678), 1);
        EXPECT_EQ(file.WriteByte(0xAB), 1);
    }
    EXPECT_EQ(ReadBytes(path),
              (std::vector<std::uint8_t>{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB}));

    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadWord(), 0x1234);
    EXPECT_EQ(file.ReadDword(), 0x12345678u);
    EXPECT_EQ(file.ReadByte(), 0xAB);
    EXPECT_EQ(file.GetStatus(), StatusOk);
    EXPECT_EQ(file.ReadByte(), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
}

TEST_F(BinaryFileTest, PartialValueReadsAsZeroAndIsConsumed)
{
    CBinaryFile file;
    ASSERT_EQ(file.Open(Write({0x01, 0x02, 0x03}).c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadWord(), 0x0201);
    EXPECT_EQ(file.ReadWord(), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(file.Tell(), 3);
}

TEST_F(BinaryFileTest, BlocksReportShortReadsAndKeepWhatArrived)
{
    CBinaryFile file;
    ASSERT_EQ(file.Open(Write({1, 2, 3}).c_str(), "rb", 1), 1);
    std::uint8_t buffer[5] = {};
    EXPECT_EQ(file.ReadBlock(buffer, 0), 1);
    EXPECT_EQ(file.ReadBlock(nullptr, 2), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.ReadBlock(buffer, 5), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(file.WriteBlock(nullptr, 1), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
}

TEST_F(BinaryFileTest, EverythingAnswersNotOpenWithoutAFile)
{
    CBinaryFile file;
    std::uint8_t byte = 0;
    char text[8];
    EXPECT_EQ(file.IsOpen(), 0);
    const auto expectNotOpen = [&](auto result)
    {
        EXPECT_EQ(result, decltype(result)(0));
        EXPECT_EQ(file.GetStatus(), StatusNotOpen);
    };
    expectNotOpen(file.ReadByte());
    expectNotOpen(file.ReadWord());
    expectNotOpen(file.ReadDword());
    expectNotOpen(file.ReadBlock(&byte, 1));
    expectNotOpen(file.ReadString(text, sizeof text));
    expectNotOpen(file.WriteByte(1));
    expectNotOpen(file.WriteWord(1));
    expectNotOpen(file.WriteDword(1));
    expectNotOpen(file.WriteBlock(&byte, 1));
    expectNotOpen(file.WriteText("a"));
    expectNotOpen(file.WriteString("a"));
    expectNotOpen(file.Seek(0, 0));
    expectNotOpen(file.Tell());
    expectNotOpen(file.GetLength());
}

TEST_F(BinaryFileTest, OpenFailuresAreRecorded)
{
    CBinaryFile file;
    EXPECT_EQ(file.Open(folder.Path("missing.spr").c_str(), "rb", 1), 0);
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(file.GetStatus(), StatusOpenFailed);

    // Something that is not a regular file fails as an unreadable file does,
    // instead of reading zeros or blocking on a FIFO with no writer.
    const std::string fifo = folder.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {folder.Root().string(), fifo, std::string("/dev/zero")})
    {
        CBinaryFile other;
        EXPECT_EQ(other.Open(path.c_str(), "rb", 1), 0) << path;
        EXPECT_EQ(other.GetStatus(), StatusOpenFailed);
    }
}

TEST_F(BinaryFileTest, LengthAndPositioning)
{
    CBinaryFile file;
    ASSERT_EQ(file.Open(Write(std::vector<std::uint8_t>(37376, 7)).c_str(), "rb", 1), 1);
    ASSERT_EQ(file.Seek(100, 0), 1);
    EXPECT_EQ(file.GetLength(), 37376);
    EXPECT_EQ(file.Tell(), 100);
    EXPECT_EQ(file.Seek(50000, 0), 1);
    EXPECT_EQ(file.Tell(), 50000);
    EXPECT_EQ(file.Seek(-1, 0), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
}

TEST_F(BinaryFileTest, StringsCarryTheirLengthAndRespectTheBuffer)
{
    const std::string path = folder.Path("text.bin");
    {
        CBinaryFile file;
        ASSERT_EQ(file.Open(path.c_str(), "wb", 1), 1);
        EXPECT_EQ(file.WriteString("abc"), 1);
        EXPECT_EQ(file.WriteString(nullptr), 0);
        EXPECT_EQ(file.GetStatus(), StatusBadInput);
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{3, 0, 0, 0, 'a', 'b', 'c', 0}));

    char fits[4];
    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadString(fits, sizeof fits), 1);
    EXPECT_STREQ(fits, "abc");

    char tooSmall[3] = {'x', 'x', 'x'};
    file.Seek(0, 0);
    EXPECT_EQ(file.ReadString(tooSmall, sizeof tooSmall), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(tooSmall[0], 'x');

    file.Close();
    ASSERT_EQ(file.Open(Write({5, 0, 0, 0, 'a', 'b'}).c_str(), "rb", 1), 1);
    char buffer[16];
    EXPECT_EQ(file.ReadString(buffer, sizeof buffer), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
}

TEST_F(BinaryFileTest, WritesToAFullDeviceFail)
{
    CBinaryFile file;
    ASSERT_EQ(file.Open("/dev/full", "wb", 1), 1);
    std::vector<std::uint8_t> block(1 << 16, 1);
    // The runtime buffers small writes; the failure surfaces at the latest
    // when the buffer is flushed.
    const bool blockFailed = file.WriteBlock(block.data(), block.size()) == 0;
    const bool syncFailed = file.Sync() == 0;
    EXPECT_TRUE(blockFailed || syncFailed);
    file.WriteByte(1);
    EXPECT_EQ(file.Close(), 0);
}

} // namespace
