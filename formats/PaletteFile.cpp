// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PaletteFile.h"

#include "formats/FileFailure.h"
#include "formats/SpriteFile.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

namespace
{

constexpr std::uint8_t kOpaque = 255;
constexpr int kMaxChannel = 255;

constexpr std::string_view kJascSignature = "JASC-PAL";
constexpr std::string_view kJascVersion = "0100";
constexpr std::string_view kGimpSignature = "GIMP Palette";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

constexpr std::size_t kRiffHeaderBytes = 12;    // "RIFF", size, "PAL "
constexpr std::size_t kChunkHeaderBytes = 8;    // id, size
constexpr std::size_t kRiffDataHeaderBytes = 4; // version, count
constexpr std::size_t kRiffEntryBytes = 4;      // red, green, blue, flags
constexpr std::uint16_t kRiffPaletteVersion = 0x0300;

constexpr std::size_t kActColorBytes = 768; // 256 x red, green, blue
constexpr std::size_t kActExtendedBytes = 772;
constexpr std::uint16_t kActNoTransparentIndex = 0xFFFF;

constexpr std::size_t kRowWordBytes = 2 * kPaletteRowSize; // 32
constexpr std::size_t kSheetWordBytes = kSprPaletteBytes;  // 512

using Colors = std::vector<ColorEntry>;
using Bytes = std::vector<std::uint8_t>;

Result BadContent(std::string what)
{
    Result result = Failure(Reason::PaletteBadContent);
    result.detail = std::move(what);
    return result;
}

Result BadLine(std::size_t line, const std::string& what)
{
    return BadContent("line " + std::to_string(line) + ": " + what);
}

std::uint16_t LittleWordAt(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t LittleDwordAt(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

ColorEntry Opaque(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return ColorEntry{red, green, blue, kOpaque};
}

// ---- Text formats ----

// The text's lines, each without its "\n" or "\r\n".
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next blank-separated word, taken off the front of the text.
std::string_view TakeWord(std::string_view& text)
{
    text = Trimmed(text);
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

// A decimal number from 0 to most; the failure names the word and line.
Result ParseNumber(std::string_view word, int most, std::size_t line, int& value)
{
    const bool digits =
        !word.empty() && word.size() <= 9 &&
        std::all_of(word.begin(), word.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (!digits)
        return BadLine(line, "\"" + std::string(word.substr(0, 20)) + "\" is not a number");
    value = std::stoi(std::string(word));
    if (value > most)
        return BadLine(line,
                       "value " + std::string(word) + " is out of range 0-" + std::to_string(most));
    return {};
}

// Red, green and blue from the front of a line; the rest is left in it.
Result ParseColor(std::string_view& rest, std::size_t line, ColorEntry& color)
{
    int channels[3] = {};
    for (int& channel : channels)
    {
        const std::string_view word = TakeWord(rest);
        if (word.empty())
            return BadLine(line, "a colour needs red, green and blue");
        if (Result number = ParseNumber(word, kMaxChannel, line, channel); !number)
            return number;
    }
    color = Opaque(std::uint8_t(channels[0]), std::uint8_t(channels[1]), std::uint8_t(channels[2]));
    return {};
}

Result ParseJasc(const std::vector<std::string_view>& lines, Colors& colors)
{
    // Lines 1 to 3: signature, version, count; numbered from 1 in messages.
    if (lines.size() < 3)
        return BadContent("the header ends before the colour count");
    if (Trimmed(lines[1]) != kJascVersion)
        return BadLine(2, "version \"" + std::string(Trimmed(lines[1]).substr(0, 20)) +
                              "\" is not 0100");
    int count = 0;
    if (Result number = ParseNumber(Trimmed(lines[2]), kMaxPaletteColors, 3, count); !number)
        return number;
    if (count < 1)
        return BadLine(3, "a palette holds at least one colour");
    std::size_t line = 3;
    for (; line < lines.size() && colors.size() < std::size_t(count); ++line)
    {
        std::string_view rest = lines[line];
        ColorEntry color{};
        if (Result parsed = ParseColor(rest, line + 1, color); !parsed)
            return parsed;
        if (!Trimmed(rest).empty())
            return BadLine(line + 1, "more than red, green and blue");
        colors.push_back(color);
    }
    if (colors.size() < std::size_t(count))
        return BadContent("the count is " + std::to_string(count) + " but " +
                          std::to_string(colors.size()) + " colours follow");
    for (; line < lines.size(); ++line)
        if (!Trimmed(lines[line]).empty())
            return BadLine(line + 1, "more colours than the count of " + std::to_string(count));
    return {};
}

bool IsGimpHeaderLine(std::string_view line)
{
    return line.empty() || line.front() == '#' || line.starts_with("Name:") ||
           line.starts_with("Columns:");
}

Result ParseGimp(const std::vector<std::string_view>& lines, Colors& colors)
{
    for (std::size_t line = 1; line < lines.size(); ++line)
    {
        std::string_view rest = Trimmed(lines[line]);
        if (IsGimpHeaderLine(rest))
            continue;
        if (colors.size() == kMaxPaletteColors)
            return BadLine(line + 1, "more than 256 colours");
        ColorEntry color{};
        // Whatever follows the three numbers is the colour's name.
        if (Result parsed = ParseColor(rest, line + 1, color); !parsed)
            return parsed;
        colors.push_back(color);
    }
    if (colors.empty())
        return BadContent("no colours");
    return {};
}

// ---- Binary formats ----

Result ParseRiff(const std::uint8_t* bytes, std::size_t size, Colors& colors)
{
    for (std::size_t at = kRiffHeaderBytes; at + kChunkHeaderBytes <= size;)
    {
        const std::uint32_t chunkBytes = LittleDwordAt(bytes + at + 4);
        const std::size_t body = at + kChunkHeaderBytes;
        if (std::memcmp(bytes + at, "data", 4) != 0)
        {
            // Chunks are padded to an even length.
            at = body + std::size_t(chunkBytes) + (chunkBytes & 1);
            continue;
        }
        if (size - body < kRiffDataHeaderBytes)
            return Failure(Reason::EndedEarly);
        const std::uint16_t version = LittleWordAt(bytes + body);
        const std::uint16_t count = LittleWordAt(bytes + body + 2);
        if (version != kRiffPaletteVersion)
            return BadContent("RIFF palette version " + std::to_string(version) +
                              " is not 768 (0x0300)");
        if (count < 1 || count > kMaxPaletteColors)
            return BadContent("colour count " + std::to_string(count) + " is not 1 to 256");
        const std::size_t needed = kRiffDataHeaderBytes + kRiffEntryBytes * count;
        if (chunkBytes < needed)
            return BadContent("the data chunk of " + std::to_string(chunkBytes) +
                              " bytes is too short for " + std::to_string(count) + " colours");
        if (size - body < needed)
            return Failure(Reason::EndedEarly);
        const std::uint8_t* entry = bytes + body + kRiffDataHeaderBytes;
        for (std::size_t i = 0; i < count; ++i, entry += kRiffEntryBytes)
            colors.push_back(Opaque(entry[0], entry[1], entry[2]));
        return {};
    }
    return BadContent("no \"data\" chunk");
}

Result ParseAct(const std::uint8_t* bytes, std::size_t size, Colors& colors)
{
    std::size_t count = kMaxPaletteColors;
    if (size == kActExtendedBytes)
    {
        // The transparent index that follows is not a colour and is ignored.
        count = std::size_t(bytes[kActColorBytes]) << 8 | bytes[kActColorBytes + 1];
        if (count < 1 || count > kMaxPaletteColors)
            return BadContent("colour count " + std::to_string(count) + " is not 1 to 256");
    }
    for (std::size_t i = 0; i < count; ++i)
        colors.push_back(Opaque(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]));
    return {};
}

void ParseColorWords(const std::uint8_t* bytes, std::size_t size, Colors& colors)
{
    for (std::size_t at = 0; at + 1 < size; at += 2)
        colors.push_back(ColorWordToEntry(LittleWordAt(bytes + at)));
}

bool StartsWith(const std::uint8_t* bytes, std::size_t size, std::string_view prefix)
{
    return size >= prefix.size() && std::memcmp(bytes, prefix.data(), prefix.size()) == 0;
}

bool IsActSize(std::size_t size)
{
    return size == kActColorBytes || size == kActExtendedBytes;
}

bool IsColorWordsSize(std::size_t size)
{
    return size == kRowWordBytes || size == kSheetWordBytes;
}

Result ParseBySize(const std::uint8_t* bytes, std::size_t size, PaletteContent& palette)
{
    if (IsActSize(size))
    {
        palette.format = PaletteFormat::Act;
        return ParseAct(bytes, size, palette.colors);
    }
    if (IsColorWordsSize(size))
    {
        palette.format = PaletteFormat::ColorWords;
        ParseColorWords(bytes, size, palette.colors);
        return {};
    }
    return Failure(Reason::PaletteUnknownFormat);
}

// The text after a UTF-8 byte order mark.
std::string_view TextOf(const std::uint8_t* bytes, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (text.starts_with(kUtf8Mark))
        text.remove_prefix(kUtf8Mark.size());
    return text;
}

Result ParseBySignature(const std::uint8_t* bytes, std::size_t size, PaletteContent& palette)
{
    const std::optional<PaletteFormat> signature = PaletteSignatureOf(bytes, size);
    if (!signature)
        return ParseBySize(bytes, size, palette);
    palette.format = *signature;
    switch (*signature)
    {
    case PaletteFormat::Jasc:
        return ParseJasc(SplitLines(TextOf(bytes, size)), palette.colors);
    case PaletteFormat::Gimp:
        return ParseGimp(SplitLines(TextOf(bytes, size)), palette.colors);
    default:
        return ParseRiff(bytes, size, palette.colors);
    }
}

// ---- Writing ----

void Append(Bytes& bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

void AppendLittle(Bytes& bytes, std::uint32_t value, int byteCount)
{
    for (int i = 0; i < byteCount; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::string ChannelsText(const ColorEntry& color)
{
    return std::to_string(color.red) + " " + std::to_string(color.green) + " " +
           std::to_string(color.blue);
}

// Paint Shop Pro writes its palettes with CRLF line ends.
void EncodeJasc(const Colors& colors, Bytes& bytes)
{
    Append(bytes, std::string(kJascSignature) + "\r\n" + std::string(kJascVersion) + "\r\n" +
                      std::to_string(colors.size()) + "\r\n");
    for (const ColorEntry& color : colors)
        Append(bytes, ChannelsText(color) + "\r\n");
}

void EncodeGimp(const Colors& colors, Bytes& bytes)
{
    Append(bytes, std::string(kGimpSignature) + "\nName: Tavrel\nColumns: 16\n#\n");
    for (std::size_t i = 0; i < colors.size(); ++i)
        Append(bytes, ChannelsText(colors[i]) + "\tIndex " + std::to_string(i) + "\n");
}

void EncodeRiff(const Colors& colors, Bytes& bytes)
{
    const auto dataBytes = std::uint32_t(kRiffDataHeaderBytes + kRiffEntryBytes * colors.size());
    Append(bytes, "RIFF");
    AppendLittle(bytes, 4 + std::uint32_t(kChunkHeaderBytes) + dataBytes, 4); // after "RIFF" size
    Append(bytes, "PAL data");
    AppendLittle(bytes, dataBytes, 4);
    AppendLittle(bytes, kRiffPaletteVersion, 2);
    AppendLittle(bytes, std::uint32_t(colors.size()), 2);
    for (const ColorEntry& color : colors)
        bytes.insert(bytes.end(), {color.red, color.green, color.blue, 0});
}

// Always the 772-byte form, so that a palette of fewer colours keeps its count.
void EncodeAct(const Colors& colors, Bytes& bytes)
{
    bytes.assign(kActExtendedBytes, 0);
    for (std::size_t i = 0; i < colors.size(); ++i)
    {
        bytes[3 * i] = colors[i].red;
        bytes[3 * i + 1] = colors[i].green;
        bytes[3 * i + 2] = colors[i].blue;
    }
    bytes[kActColorBytes] = static_cast<std::uint8_t>(colors.size() >> 8);
    bytes[kActColorBytes + 1] = static_cast<std::uint8_t>(colors.size());
    bytes[kActColorBytes + 2] = kActNoTransparentIndex >> 8;
    bytes[kActColorBytes + 3] = kActNoTransparentIndex & 0xFF;
}

void EncodeColorWords(const Colors& colors, Bytes& bytes)
{
    for (const ColorEntry& color : colors)
        AppendLittle(bytes, EntryToColorWord(color), 2);
}

} // namespace

std::optional<PaletteFormat> PaletteSignatureOf(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view text = TextOf(bytes, size);
    const std::vector<std::string_view> firstLine = SplitLines(text.substr(0, text.find('\n')));
    const std::string_view signature = firstLine.empty() ? "" : Trimmed(firstLine.front());
    if (signature == kJascSignature)
        return PaletteFormat::Jasc;
    if (signature == kGimpSignature)
        return PaletteFormat::Gimp;
    if (StartsWith(bytes, size, "RIFF") && size >= kRiffHeaderBytes &&
        std::memcmp(bytes + 8, "PAL ", 4) == 0)
        return PaletteFormat::Riff;
    return std::nullopt;
}

Result ParsePalette(const std::uint8_t* bytes, std::size_t size, PaletteContent& palette)
{
    palette.colors.clear();
    if (bytes == nullptr)
        size = 0;
    if (size > kMaxPaletteFileBytes)
        return BadContent("over 1 MiB: too large for a palette file");
    Result result = ParseBySignature(bytes, size, palette);
    // Colour words and colour tables have no signature, and their bytes may
    // spell one: a file of their size that fails as the format it seems to
    // be is read as the one its size names.
    if (!result && (IsActSize(size) || IsColorWordsSize(size)))
    {
        PaletteContent binary;
        if (ParseBySize(bytes, size, binary))
        {
            palette = std::move(binary);
            return {};
        }
    }
    if (!result)
        palette.colors.clear();
    return result;
}

Result LoadPaletteFile(const char* path, PaletteContent& palette)
{
    CBinaryFile file;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    const std::int32_t length = file.GetLength();
    if (length < 0)
        return Failure(Reason::TooLargeToMeasure);
    if (std::size_t(length) > kMaxPaletteFileBytes)
        return BadContent("over 1 MiB: too large for a palette file");
    Bytes bytes(static_cast<std::size_t>(length));
    if (length > 0 && !file.ReadBlock(bytes.data(), bytes.size()))
        return Failure(Reason::EndedEarly);
    return ParsePalette(bytes.data(), bytes.size(), palette);
}

Result EncodePalette(const Colors& colors, PaletteFormat format, Bytes& bytes)
{
    bytes.clear();
    if (colors.empty() || colors.size() > kMaxPaletteColors)
        return Failure(Reason::PaletteWrongCount, std::int64_t(colors.size()),
                       std::int64_t(kMaxPaletteColors));
    switch (format)
    {
    case PaletteFormat::Jasc:
        EncodeJasc(colors, bytes);
        break;
    case PaletteFormat::Gimp:
        EncodeGimp(colors, bytes);
        break;
    case PaletteFormat::Riff:
        EncodeRiff(colors, bytes);
        break;
    case PaletteFormat::Act:
        EncodeAct(colors, bytes);
        break;
    case PaletteFormat::ColorWords:
        // An SPR file's colours, or one palette row of them: nothing between.
        if (colors.size() != std::size_t(kPaletteRowSize) &&
            colors.size() != std::size_t(kSprColorCount))
            return Failure(Reason::PaletteWrongCount, std::int64_t(colors.size()));
        EncodeColorWords(colors, bytes);
        break;
    }
    return {};
}

Result SavePaletteFile(const Colors& colors, PaletteFormat format, const char* path,
                       CReplaceBatch* batch)
{
    Bytes bytes;
    if (Result encoded = EncodePalette(colors, format, bytes); !encoded)
        return encoded;
    return ReplaceFileWith(path, batch,
                           [&](CBinaryFile& file)
                           {
                               errno = 0;
                               return file.WriteBlock(bytes.data(), bytes.size())
                                          ? Result{}
                                          : FailureFromErrno();
                           });
}
