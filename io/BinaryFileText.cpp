// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/BinaryFile.h"

#include <cmath>

// Text reading over the stream. Every value starts the same way: comments
// are passed over, then the caller's delimiters; the value ends at the next
// delimiter (read and dropped) or at the end of the file.
//
// Numbers that do not fit 32 bits wrap around as two's complement: digits
// are gathered in unsigned arithmetic, which is defined to wrap.

namespace
{
constexpr int kEnd = EOF;
constexpr int kMaxHexDigits = 8;
constexpr int kLowerCaseFirstBit = 26;
constexpr int kFlagBits = 32;

bool IsDecimalDigit(int character)
{
    return character >= '0' && character <= '9';
}

int HexDigitValue(int character)
{
    if (IsDecimalDigit(character))
        return character - '0';
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    return -1;
}

bool EndsValue(int character, const char* delimiters)
{
    return character == kEnd || CBinaryFile::IsDelimiter(character, delimiters);
}

// Passes over comments and delimiters and answers the value's first byte,
// or kEnd when the file ends first (ReadChar has recorded that) or there is
// no file (the status is then left as it was).
int FirstValueChar(CBinaryFile& file, const char* delimiters)
{
    if (!file.IsOpen())
        return kEnd;
    while (file.SkipComment())
    {
    }
    const char first = file.ReadChar(delimiters);
    return file.GetStatus() == StatusOk ? static_cast<unsigned char>(first) : kEnd;
}

// Gathers the decimal digits starting at `character`; answers the first
// character that is not a digit.
int GatherDigits(CBinaryFile& file, int character, std::uint32_t& value, std::uint64_t& digitCount)
{
    for (; IsDecimalDigit(character); character = file.GetChar())
    {
        value = value * 10u + static_cast<std::uint32_t>(character - '0');
        ++digitCount;
    }
    return character;
}

// A decimal number starting at the digit `first`; false when a character
// that is neither a digit nor a delimiter interrupts it.
bool ReadDecimal(CBinaryFile& file, int first, const char* delimiters, std::uint32_t& value)
{
    value = 0;
    std::uint64_t digitCount = 0;
    return EndsValue(GatherDigits(file, first, value, digitCount), delimiters);
}

std::uint32_t LetterFlag(int letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return 1u << (letter - 'A');
    const int bit = kLowerCaseFirstBit + (letter - 'a');
    return bit < kFlagBits ? 1u << bit : 0u;
}

bool IsLetter(int character)
{
    return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z');
}
} // namespace

int CBinaryFile::IsDelimiter(int character, const char* delimiters)
{
    if (!delimiters)
        return character == ' ' || (character >= '\t' && character <= '\r') ? 1 : 0;
    // Set bytes are compared as unsigned so that bytes above 127 match what
    // GetChar answers, and the end-of-file value never matches.
    for (const char* next = delimiters; *next; ++next)
    {
        if (static_cast<unsigned char>(*next) == character)
            return 1;
    }
    return 0;
}

char CBinaryFile::ReadChar(const char* delimiters)
{
    if (!IsOpen())
        return 0;
    int character = GetChar();
    while (character != kEnd && IsDelimiter(character, delimiters))
        character = GetChar();
    if (character == kEnd)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    m_status = StatusOk;
    return static_cast<char>(character);
}

int CBinaryFile::SkipLine()
{
    if (!IsOpen())
        return 0;
    int character = GetChar();
    while (character != kEnd && character != '\n')
        character = GetChar();
    return 1;
}

int CBinaryFile::SkipBlockComment()
{
    if (!IsOpen())
        return 0;
    int previous = kEnd;
    for (int character = GetChar(); character != kEnd; character = GetChar())
    {
        if (previous == '*' && character == '/')
            break;
        previous = character;
    }
    m_status = StatusOk;
    return 1;
}

// A comment is "#" or ";" or "//" to the end of the line, or "/*" to the
// first "*/". White space before the marks stays consumed; only the
// characters read after it are given back when no comment follows.
int CBinaryFile::SkipComment()
{
    if (!IsOpen())
        return 0;
    const char first = ReadChar(nullptr);
    if (m_status != StatusOk)
        return 0;
    if (first == '#' || first == ';')
        return SkipLine();
    if (first != '/')
    {
        Seek(-1, SEEK_CUR);
        return 0;
    }
    const char second = ReadChar(nullptr);
    if (m_status != StatusOk)
    {
        Seek(-1, SEEK_CUR);
        return 0;
    }
    if (second == '/')
        return SkipLine();
    if (second == '*')
        return SkipBlockComment();
    Seek(-2, SEEK_CUR);
    return 0;
}

std::uint32_t CBinaryFile::ReadHex(const char* delimiters)
{
    int character = FirstValueChar(*this, delimiters);
    if (character == kEnd)
        return 0;
    std::uint32_t value = 0;
    // After the last digit that fits, one more character is dropped unseen.
    for (int digits = 0; digits < kMaxHexDigits; ++digits)
    {
        const int digit = HexDigitValue(character);
        if (digit < 0)
        {
            if (EndsValue(character, delimiters))
                break;
            m_status = StatusBadInput;
            return 0;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
        character = GetChar();
    }
    m_status = StatusOk;
    return value;
}

std::int32_t CBinaryFile::ReadInt(const char* delimiters)
{
    int character = FirstValueChar(*this, delimiters);
    if (character == kEnd)
        return 0;
    const bool negative = character == '-';
    if (negative || character == '+')
    {
        character = GetChar();
        if (character == kEnd)
        {
            m_status = StatusEndOfFile;
            return 0;
        }
    }
    std::uint32_t magnitude = 0;
    if (!IsDecimalDigit(character) || !ReadDecimal(*this, character, delimiters, magnitude))
    {
        m_status = StatusBadInput;
        return 0;
    }
    m_status = StatusOk;
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

double CBinaryFile::ReadFloat(const char* delimiters)
{
    int character = FirstValueChar(*this, delimiters);
    if (character == kEnd)
        return 0.0;
    const bool negative = character == '-';
    if (negative)
    {
        character = GetChar();
        if (character == kEnd)
        {
            m_status = StatusEndOfFile;
            return 0.0;
        }
    }
    std::uint32_t whole = 0;
    std::uint64_t wholeDigits = 0;
    character = GatherDigits(*this, character, whole, wholeDigits);
    std::uint32_t fraction = 0;
    std::uint64_t fractionDigits = 0;
    if (character == '.')
        character = GatherDigits(*this, GetChar(), fraction, fractionDigits);
    if (!EndsValue(character, delimiters))
    {
        m_status = StatusBadInput;
        return 0.0;
    }
    const double magnitude =
        static_cast<std::int32_t>(whole) +
        static_cast<std::int32_t>(fraction) / std::pow(10.0, static_cast<double>(fractionDigits));
    m_status = StatusOk;
    return negative ? -magnitude : magnitude;
}

// Letters are added, not combined, so a repeated letter carries into the
// next bit.
std::uint32_t CBinaryFile::ReadFlags(const char* delimiters)
{
    int character = FirstValueChar(*this, delimiters);
    if (character == kEnd)
        return 0;
    std::uint32_t value = 0;
    if (IsDecimalDigit(character))
    {
        if (!ReadDecimal(*this, character, delimiters, value))
        {
            m_status = StatusBadInput;
            return 0;
        }
        m_status = StatusOk;
        return value;
    }
    for (; !EndsValue(character, delimiters); character = GetChar())
    {
        if (!IsLetter(character))
        {
            m_status = StatusBadInput;
            return 0;
        }
        value += LetterFlag(character);
    }
    m_status = StatusOk;
    return value;
}

// A token too long for the buffer is still read to its end, so the next
// read starts after it, but it is refused and the buffer left empty.
int CBinaryFile::ReadToken(char* buffer, std::size_t capacity, const char* delimiters)
{
    if (!buffer)
        return 0;
    int character = FirstValueChar(*this, delimiters);
    if (character == kEnd)
        return 0;
    std::size_t length = 0;
    const auto keep = [&](int kept)
    {
        if (length + 1 < capacity)
            buffer[length] = static_cast<char>(kept);
        ++length;
    };
    if (character == '"')
    {
        for (character = GetChar(); character != '"'; character = GetChar())
        {
            if (character == kEnd)
            {
                m_status = StatusEndOfFile;
                return 0;
            }
            keep(character);
        }
    }
    else
    {
        for (; !EndsValue(character, delimiters); character = GetChar())
            keep(character);
    }
    if (length >= capacity)
    {
        if (capacity > 0)
            buffer[0] = '\0';
        m_status = StatusBadInput;
        return 0;
    }
    buffer[length] = '\0';
    m_status = StatusOk;
    return 1;
}
