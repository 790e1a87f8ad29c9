// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the stream's text-reading operations, in an order and with
// delimiters and buffer sizes the input chooses, over the rest of the input.
// Every operation must stay inside the bytes and the buffers it is given,
// answer 0 whenever it reports a failure, and leave a known status.
#include "fuzz/FuzzSupport.h"
#include "io/BinaryFile.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace
{

constexpr int kLongestScript = 16;
constexpr int kLongestChosenSet = 4;
constexpr int kBufferSizeSteps = 16;

enum TextOperation
{
    OpSkipComment,
    OpReadHex,
    OpReadInt,
    OpReadFloat,
    OpSkipBlockComment,
    OpSkipLine,
    OpReadChar,
    OpReadFlags,
    OpReadToken,
    OpReadString,
    OpReadByte,
    OpCount
};

// Null (white space), empty, a few fixed sets or one the input spells out.
std::unique_ptr<std::string> ChooseDelimiters(CFuzzChoices& choices)
{
    switch (choices.Take() % 5)
    {
    case 0:
        return nullptr;
    case 1:
        return std::make_unique<std::string>();
    case 2:
        return std::make_unique<std::string>(";");
    case 3:
        return std::make_unique<std::string>(", \t\n\"#/");
    default:
        break;
    }
    auto chosen = std::make_unique<std::string>();
    for (int length = choices.Take() % (kLongestChosenSet + 1); length > 0; --length)
        if (const char character = static_cast<char>(choices.Take()))
            chosen->push_back(character);
    return chosen;
}

bool IsKnownStatus(BinaryFileStatus status)
{
    return status >= StatusOk && status <= StatusOpenFailed;
}

template <typename Value>
void RequireZeroOnFailure(const CBinaryFile& file, Value value)
{
    FuzzRequire(file.GetStatus() == StatusOk || value == Value(0), "a failed read answers 0");
}

// A buffer of exactly the given size on the heap, so that a write past its
// end is caught.
void ReadIntoBuffer(CBinaryFile& file, TextOperation operation, std::size_t capacity,
                    const char* delimiters)
{
    const std::unique_ptr<char[]> buffer(new char[capacity]);
    const int read = operation == OpReadToken ? file.ReadToken(buffer.get(), capacity, delimiters)
                                              : file.ReadString(buffer.get(), capacity);
    if (read == 1)
    {
        FuzzRequire(file.GetStatus() == StatusOk, "a text read succeeds with StatusOk");
        FuzzRequire(std::memchr(buffer.get(), '\0', capacity) != nullptr,
                    "a text read ends its text inside the buffer");
    }
    else
    {
        FuzzRequire(file.GetStatus() != StatusOk, "a refused text read says why");
    }
}

void RunOperation(CBinaryFile& file, TextOperation operation, std::size_t capacity,
                  const char* delimiters)
{
    switch (operation)
    {
    case OpSkipComment:
        file.SkipComment();
        break;
    case OpReadHex:
        RequireZeroOnFailure(file, file.ReadHex(delimiters));
        break;
    case OpReadInt:
        RequireZeroOnFailure(file, file.ReadInt(delimiters));
        break;
    case OpReadFloat:
    {
        const double value = file.ReadFloat(delimiters);
        FuzzRequire(std::isfinite(value), "a decimal number is finite");
        RequireZeroOnFailure(file, value);
        break;
    }
    case OpSkipBlockComment:
        FuzzRequire(file.SkipBlockComment() == 1 && file.GetStatus() == StatusOk,
                    "a block comment is always passed");
        break;
    case OpSkipLine:
        FuzzRequire(file.SkipLine() == 1, "a line is always passed");
        break;
    case OpReadChar:
        RequireZeroOnFailure(file, file.ReadChar(delimiters));
        break;
    case OpReadFlags:
        RequireZeroOnFailure(file, file.ReadFlags(delimiters));
        break;
    case OpReadToken:
    case OpReadString:
        ReadIntoBuffer(file, operation, capacity, delimiters);
        break;
    case OpReadByte:
        RequireZeroOnFailure(file, file.ReadByte());
        break;
    case OpCount:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzChoices choices(data, size);
    const std::unique_ptr<std::string> delimiterSet = ChooseDelimiters(choices);
    const char* delimiters = delimiterSet ? delimiterSet->c_str() : nullptr;
    std::uint8_t script[kLongestScript];
    const int steps = choices.Take() % kLongestScript + 1;
    for (int step = 0; step < steps; ++step)
        script[step] = choices.Take();

    CBinaryFile file;
    file.Attach(OpenMemoryInput(choices.Rest(), choices.RestSize()), 1);
    const auto textSize = static_cast<std::int32_t>(choices.RestSize());
    for (int step = 0; step < steps; ++step)
    {
        const auto operation = static_cast<TextOperation>(script[step] % OpCount);
        const std::size_t capacity = script[step] / OpCount % kBufferSizeSteps;
        RunOperation(file, operation, capacity, delimiters);
        FuzzRequire(IsKnownStatus(file.GetStatus()), "the status is a known one");
        const std::int32_t position = file.Tell();
        FuzzRequire(position >= 0 && position <= textSize, "reading stays inside the text");
    }
    return 0;
}
