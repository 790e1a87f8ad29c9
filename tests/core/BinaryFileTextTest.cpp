// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/BinaryFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>

namespace
{
// A stream over `text`.
struct TextInput
{
    explicit TextInput(std::string source) : text(std::move(source))
    {
        file.Attach(fmemopen(text.data(), text.size(), "rb"), 1);
    }
    std::string Token(const char* delimiters = nullptr)
    {
        char buffer[64] = "unchanged";
        return file.ReadToken(buffer, sizeof buffer, delimiters) ? buffer : "<refused>";
    }
    std::string text;
    CBinaryFile file;
};

TEST(BinaryFileText, ValuesAndTokensFollowCommentsOfEveryKind)
{
    TextInput in("# hash\n  -42 ; semicolon\n// slashes\n/* block\n ** */ 7 /x \"two words\" "
                 "more word;x#y; /* unclosed 5");
    EXPECT_EQ(in.file.ReadInt(nullptr), -42);
    EXPECT_EQ(in.file.ReadInt(nullptr), 7);
    EXPECT_EQ(in.Token(), "/x"); // a slash that opens no comment is given back
    EXPECT_EQ(in.Token(), "two words");
    EXPECT_EQ(in.Token(), "more");
    EXPECT_EQ(in.Token(";"), "word");
    EXPECT_EQ(in.Token(";"), "x#y"); // a mark inside a word opens no comment
    EXPECT_EQ(in.file.GetStatus(), StatusOk);
    EXPECT_EQ(in.file.ReadInt(nullptr), 0); // the unclosed comment runs to the end
    EXPECT_EQ(in.file.GetStatus(), StatusEndOfFile);

    // A byte 0xFF in the delimiters must not be taken for the end of the file.
    TextInput high("\xFF\xFF");
    EXPECT_EQ(high.file.ReadChar("\xFF"), 0);
    EXPECT_EQ(high.file.GetStatus(), StatusEndOfFile);
}

TEST(BinaryFileText, HexFloatsFlagsAndNumbersBeyondThirtyTwoBits)
{
    TextInput in("1A2B3C4D5 ff,a 3.25 .5 -0.5 AC ABA abcdef 12 A1");
    EXPECT_EQ(in.file.ReadHex(nullptr), 0x1A2B3C4Du); // the ninth digit is read and dropped
    EXPECT_EQ(in.file.ReadHex(","), 0xFFu);
    EXPECT_EQ(in.file.ReadHex(nullptr), 0xAu);
    for (double expected : {3.25, 0.5, -0.5})
        EXPECT_DOUBLE_EQ(in.file.ReadFloat(nullptr), expected);
    // Letters add up, so a repeated one carries into the next bit.
    for (std::uint32_t expected : {5u, 4u, 0xFC000000u, 12u})
        EXPECT_EQ(in.file.ReadFlags(nullptr), expected);
    EXPECT_EQ(in.file.GetStatus(), StatusOk);
    EXPECT_EQ(in.file.ReadFlags(nullptr), 0u);
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
    TextInput rejected("1.2.3");
    EXPECT_EQ(rejected.file.ReadFloat(nullptr), 0.0);
    EXPECT_EQ(rejected.file.GetStatus(), StatusBadInput);
    // Numbers that do not fit 32 bits wrap around.
    TextInput wide("2147483648 -2147483649 4294967296.5 -2147483648");
    EXPECT_EQ(wide.file.ReadInt(nullptr), INT32_MIN);
    EXPECT_EQ(wide.file.ReadInt(nullptr), INT32_MAX);
    EXPECT_DOUBLE_EQ(wide.file.ReadFloat(nullptr), 0.5);
    EXPECT_DOUBLE_EQ(wide.file.ReadFloat(nullptr), 2147483648.0);
}

TEST(BinaryFileText, TokenThatDoesNotFitIsRefusedWithinTheBuffer)
{
    TextInput in("abcdef abcdef");
    char buffer[16];
    std::memset(buffer, '*', sizeof buffer);
    EXPECT_EQ(in.file.ReadToken(buffer, 6, nullptr), 0);
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
    EXPECT_EQ(std::string(buffer + 6, 10), std::string(10, '*'));
    EXPECT_EQ(in.file.ReadToken(buffer, 7, nullptr), 1); // exactly fits with its zero
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(in.file.ReadToken(buffer, 0, nullptr), 0);
    EXPECT_EQ(buffer[0], 'a');
}

} // namespace
