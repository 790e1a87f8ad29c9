#include "io/BinaryFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace
{
// A stream over a scratch file holding `text`.
struct TextInput
{
    explicit TextInput(const std::string& text)
    {
        std::FILE* handle = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), handle);
        std::rewind(handle);
        file.Attach(handle, 1);
    }
    std::string Token(const char* delimiters = nullptr)
    {
        char buffer[64] = "unchanged";
        return file.ReadToken(buffer, sizeof buffer, delimiters) ? buffer : "<refused>";
    }
    CBinaryFile file;
};
} // namespace

TEST(BinaryFileText, ValuesFollowCommentsOfEveryKind)
{
    TextInput in("# hash\n  -42 ; semicolon\n// slashes\n/* block\n ** */ 7 /x  \" q \" /* 5");
    EXPECT_EQ(in.file.ReadInt(nullptr), -42);
    EXPECT_EQ(in.file.ReadInt(nullptr), 7);
    EXPECT_EQ(in.Token(), "/x"); // a slash that opens no comment is given back
    EXPECT_EQ(in.Token(), " q ");
    EXPECT_EQ(in.file.GetStatus(), StatusOk);
    EXPECT_EQ(in.file.ReadInt(nullptr), 0); // the unclosed comment runs to the end
    EXPECT_EQ(in.file.GetStatus(), StatusEndOfFile);
}

TEST(BinaryFileText, HexTakesAtMostEightDigitsAndNoPrefix)
{
    TextInput in("1A2B3C4D5 ff,a 0x1F");
    EXPECT_EQ(in.file.ReadHex(nullptr), 0x1A2B3C4Du); // the 5 is read and dropped
    EXPECT_EQ(in.file.ReadHex(","), 0xFFu);
    EXPECT_EQ(in.file.ReadHex(nullptr), 0xAu);
    EXPECT_EQ(in.file.ReadHex(nullptr), 0u);
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
}

TEST(BinaryFileText, FloatsWithAndWithoutParts)
{
    TextInput in("3.25 2. .5 -0.5 7");
    for (double expected : {3.25, 2.0, 0.5, -0.5, 7.0})
    {
        EXPECT_DOUBLE_EQ(in.file.ReadFloat(nullptr), expected);
        EXPECT_EQ(in.file.GetStatus(), StatusOk);
    }
    for (const char* bad : {"+1", "1e5", "1.2.3"})
    {
        TextInput rejected(bad);
        EXPECT_EQ(rejected.file.ReadFloat(nullptr), 0.0) << bad;
        EXPECT_EQ(rejected.file.GetStatus(), StatusBadInput) << bad;
    }
}

TEST(BinaryFileText, FlagsAddOneBitPerLetter)
{
    TextInput in("AC ABA a z abcdef 12 A1");
    for (std::uint32_t expected : {5u, 4u, 0x4000000u, 0u, 0xFC000000u, 12u})
        EXPECT_EQ(in.file.ReadFlags(nullptr), expected);
    EXPECT_EQ(in.file.ReadFlags(nullptr), 0u);
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
}

TEST(BinaryFileText, TokensQuotedOrDelimited)
{
    TextInput in("\"two words\" more word;x#y;\"open");
    EXPECT_EQ(in.Token(), "two words");
    EXPECT_EQ(in.Token(), "more");
    EXPECT_EQ(in.Token(";"), "word");
    EXPECT_EQ(in.Token(";"), "x#y"); // a mark inside a word opens no comment
    EXPECT_EQ(in.Token(), "<refused>");
    EXPECT_EQ(in.file.GetStatus(), StatusEndOfFile);
}

TEST(BinaryFileText, TokenThatDoesNotFitIsRefusedWithinTheBuffer)
{
    TextInput in("abcdef \"abcdef\" abcdef next");
    char buffer[16];
    std::memset(buffer, '*', sizeof buffer);
    EXPECT_EQ(in.file.ReadToken(buffer, 6, nullptr), 0);
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
    EXPECT_EQ(in.file.ReadToken(buffer, 6, nullptr), 0);
    EXPECT_EQ(std::string(buffer + 6, 10), std::string(10, '*'));
    EXPECT_EQ(in.file.ReadToken(buffer, 7, nullptr), 1); // exactly fits with its zero
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(in.file.ReadToken(buffer, 0, nullptr), 0);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(in.file.GetStatus(), StatusBadInput);
}

TEST(BinaryFileText, NumbersBeyondThirtyTwoBitsWrap)
{
    TextInput in("2147483648 -2147483648 -2147483649 4294967297");
    for (std::int32_t expected : {INT32_MIN, INT32_MIN, INT32_MAX, 1})
        EXPECT_EQ(in.file.ReadInt(nullptr), expected);
    TextInput flags("4294967296 ffff");
    EXPECT_EQ(flags.file.ReadFlags(nullptr), 0u);
    EXPECT_EQ(flags.file.ReadFlags(nullptr), 0u); // four times bit 31
    TextInput fraction("4294967296.5 -2147483648");
    EXPECT_DOUBLE_EQ(fraction.file.ReadFloat(nullptr), 0.5);
    EXPECT_DOUBLE_EQ(fraction.file.ReadFloat(nullptr), 2147483648.0);
}

TEST(BinaryFileText, NothingToReadAnswersZero)
{
    CBinaryFile closed;
    closed.Seek(0, SEEK_SET); // leaves StatusNotOpen, which must survive
    char buffer[4];
    EXPECT_EQ(closed.ReadInt(nullptr) + closed.ReadToken(buffer, sizeof buffer, nullptr), 0);
    EXPECT_EQ(closed.SkipComment() + closed.ReadChar(nullptr), 0);
    EXPECT_EQ(closed.GetStatus(), StatusNotOpen);

    TextInput blank(" \t\r\n# only a comment");
    EXPECT_EQ(blank.file.ReadToken(nullptr, 4, nullptr), 0);
    EXPECT_EQ(blank.file.GetStatus(), StatusOk);
    EXPECT_EQ(blank.file.ReadInt(nullptr), 0);
    EXPECT_EQ(blank.file.GetStatus(), StatusEndOfFile);
}

TEST(BinaryFileText, DelimiterSetsMatchBytesNotTheEnd)
{
    EXPECT_EQ(CBinaryFile::IsDelimiter(0, ""), 0);
    TextInput in("\xFF\xFF");
    EXPECT_EQ(in.file.ReadChar("\xFF"), 0);
    EXPECT_EQ(in.file.GetStatus(), StatusEndOfFile);
}
