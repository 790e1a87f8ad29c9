// SPDX-License-Identifier: GPL-3.0-or-later
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
        EXPECT_EQ(file.WriteWord(0x1234) + file.WriteDword(0x12345678) + file.WriteByte(0xCD) +
                      file.WriteBlock(block, 0),
                  4);
        EXPECT_EQ(file.WriteBlock(nullptr, 1), 0);
        EXPECT_EQ(file.GetStatus(), StatusBadInput);
    }
    EXPECT_EQ(ReadBytes(path), (Bytes{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xCD}));

    CBinaryFile file;
    ASSERT_EQ(file.Open(path.c_str(), "rb", 1), 1);
    EXPECT_EQ(file.ReadWord(), 0x1234);
    EXPECT_EQ(file.ReadDword(), 0x12345678u);
    EXPECT_EQ(file.ReadWord(), 0); // a value cut short reads as zero and is consumed
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(file.Tell(), 7);

    ASSERT_EQ(file.Seek(3, SEEK_SET), 1);
    EXPECT_EQ(file.GetLength(), 7);
    EXPECT_EQ(file.ReadBlock(nullptr, 2), 0);
    EXPECT_EQ(file.GetStatus(), StatusBadInput);
    EXPECT_EQ(file.ReadBlock(block, 5), 0);
    EXPECT_EQ(file.GetStatus(), StatusEndOfFile);
    EXPECT_EQ(block[3], 0xCD); // what arrived is kept
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
        EXPECT_EQ(file.GetStatus(), StatusOpenFailed);
    }
}

} // namespace
