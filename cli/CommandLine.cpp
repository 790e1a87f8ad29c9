// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include "document/PaletteText.h"
#include "formats/PictureSize.h"
#include "formats/SpriteFile.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace
{

enum LongOnlyOption
{
    kOptionTo = 256,
    kOptionPaletteRow,
    kOptionTrailingFrom,
    kOptionInfo,
    kOptionJson,
    kOptionHelp,
    kOptionVersion,
    kOptionLossy,
    kOptionPalette,
    kOptionPaletteAt,
    kOptionMatchPalette,
    kOptionTransparentZero,
    kOptionReduce,
    kOptionDither,
    kOptionKeepRowColors,
    kOptionFixedRowColors,
    kOptionAlphaThreshold,
    kOptionColorways,
    kOptionReduceClasses,
    kOptionSetColor,
    kOptionSwapRows,
    kOptionSwapEntries,
    kOptionPaste,
};

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"to", required_argument, nullptr, kOptionTo},
    {"palette-row", required_argument, nullptr, kOptionPaletteRow},
    {"trailing-from", required_argument, nullptr, kOptionTrailingFrom},
    {"palette", required_argument, nullptr, kOptionPalette},
    {"palette-at", required_argument, nullptr, kOptionPaletteAt},
    {"match-palette", required_argument, nullptr, kOptionMatchPalette},
    {"transparent-zero", no_argument, nullptr, kOptionTransparentZero},
    {"reduce", required_argument, nullptr, kOptionReduce},
    {"dither", required_argument, nullptr, kOptionDither},
    {"keep-row-colors", no_argument, nullptr, kOptionKeepRowColors},
    {"fixed-row-colors", no_argument, nullptr, kOptionFixedRowColors},
    {"alpha-threshold", required_argument, nullptr, kOptionAlphaThreshold},
    {"colorways", required_argument, nullptr, kOptionColorways},
    {"reduce-classes", no_argument, nullptr, kOptionReduceClasses},
    {"set-color", required_argument, nullptr, kOptionSetColor},
    {"swap-rows", required_argument, nullptr, kOptionSwapRows},
    {"swap-entries", required_argument, nullptr, kOptionSwapEntries},
    {"paste", required_argument, nullptr, kOptionPaste},
    {"info", no_argument, nullptr, kOptionInfo},
    {"json", no_argument, nullptr, kOptionJson},
    {"help", no_argument, nullptr, kOptionHelp},
    {"version", no_argument, nullptr, kOptionVersion},
    {"lossy", no_argument, nullptr, kOptionLossy},
    {nullptr, 0, nullptr, 0},
};

// "bmp, png, ... or act": what --to takes.
std::string TargetFormatNames()
{
    std::vector<std::string> names;
    for (const FileFormatInfo& info : AllFormats())
        if (info.converterTarget)
            names.push_back(info.extension);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

bool ParseNumberBelow(const std::string& text, std::int32_t limit, std::int32_t& number)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && stop == end && number >= 0 && number < limit;
}

bool ParseRow(const std::string& text, std::int32_t& row, std::string& error)
{
    if (ParseNumberBelow(text, kPaletteRowCount, row))
        return true;
    error = "palette row must be a number from 0 to 15, not " + QuotedName(text);
    return false;
}

// --palette-at K belongs to the --palette before it or, when none came
// before, to the next one. The reduction's settings hold for the whole run;
// the first of --dither, --fixed-row-colors and --keep-row-colors is named
// if nothing reduces.
struct ParseState
{
    std::optional<std::int32_t> pendingFirst;
    ReduceOptions reduce;
    std::string reduceSetting;
    bool alphaThreshold = false;
    bool reduceClasses = false;
};

bool NoteReduceSetting(const char* option, ParseState& state)
{
    if (state.reduceSetting.empty())
        state.reduceSetting = option;
    return true;
}

// none, ordered, diffusion or diffusion:STRENGTH (0-100, by default 100).
bool SetDither(const std::string& text, ParseState& state, std::string& error)
{
    const std::string diffusion = "diffusion";
    std::int32_t strength = kFullStrength;
    if (text == "none")
        state.reduce.dithering = Dithering::None;
    else if (text == "ordered")
        state.reduce.dithering = Dithering::Ordered;
    else if (text.rfind(diffusion, 0) == 0 &&
             (text.size() == diffusion.size() ||
              (text[diffusion.size()] == ':' &&
               ParseNumberBelow(text.substr(diffusion.size() + 1), kFullStrength + 1, strength))))
        state.reduce.dithering = Dithering::Diffusion;
    else
    {
        error = "dithering must be none, ordered or diffusion[:STRENGTH] with a strength from 0 "
                "to 100, not " + QuotedName(text);
        return false;
    }
    state.reduce.strength = strength;
    return NoteReduceSetting("--dither", state);
}

bool SetTarget(ReduceTarget target, const char* option, ParseState& state, std::string& error)
{
    if (state.reduce.target != ReduceTarget::NewColors && state.reduce.target != target)
    {
        error = "--keep-row-colors and --fixed-row-colors exclude each other";
        return false;
    }
    state.reduce.target = target;
    return NoteReduceSetting(option, state);
}

bool SetAlphaThreshold(const std::string& text, ParseState& state, std::string& error)
{
    std::int32_t threshold = 0;
    if (!ParseNumberBelow(text, kHighestAlphaThreshold + 1, threshold) ||
        threshold < kLowestAlphaThreshold)
    {
        error = "alpha threshold must be a number from 1 to 255, not " + QuotedName(text);
        return false;
    }
    state.reduce.alphaThreshold = threshold;
    state.alphaThreshold = true;
    return true;
}

bool AddReduce(const char* argument, CommandLine& commandLine, std::string& error)
{
    EditRequest request;
    request.kind = EditOption::ReduceColors;
    request.argument = argument;
    if (!ParseRow(argument, request.row, error))
        return false;
    commandLine.edits.push_back(request);
    return true;
}

// FILE:ROW, split at the last colon, for a name may hold one.
bool AddColorwayPicture(const std::string& text, EditRequest& request, std::string& error)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
    {
        error = "--colorways takes pictures as FILE:ROW, not " + QuotedName(text);
        return false;
    }
    std::int32_t row = 0;
    if (!ParseRow(text.substr(colon + 1), row, error))
        return false;
    request.pictures.emplace_back(text.substr(0, colon), row);
    return true;
}

// --colorways takes its first picture as its argument and every argument
// after it up to the next option.
bool AddColorways(const char* argument, int argc, char** arguments, CommandLine& commandLine,
                  std::string& error)
{
    EditRequest request;
    request.kind = EditOption::ImportColorways;
    request.argument = argument;
    if (!AddColorwayPicture(argument, request, error))
        return false;
    for (; optind < argc && arguments[optind][0] != '-'; ++optind)
        if (!AddColorwayPicture(arguments[optind], request, error))
            return false;
    commandLine.edits.push_back(request);
    return true;
}

// "A,B" as two numbers below limit.
bool ParsePair(const std::string& text, std::int32_t limit, std::int32_t& a, std::int32_t& b)
{
    const std::size_t comma = text.find(',');
    return comma != std::string::npos && ParseNumberBelow(text.substr(0, comma), limit, a) &&
           ParseNumberBelow(text.substr(comma + 1), limit, b);
}

// ENTRY=#RRGGBB: the colour as written; the sheet rounds it as it enters.
bool AddSetColor(const std::string& text, CommandLine& commandLine, std::string& error)
{
    EditRequest request;
    request.kind = EditOption::SetColor;
    request.argument = text;
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos ||
        !ParseNumberBelow(text.substr(0, equals), kSprColorCount, request.entry))
    {
        error = "--set-color takes ENTRY=#RRGGBB with an entry from 0 to 255, not " +
                QuotedName(text);
        return false;
    }
    if (Result parsed = ParseColorText(text.substr(equals + 1), request.color); !parsed)
    {
        error = "--set-color " + QuotedName(text) + ": " + ReasonText(parsed);
        return false;
    }
    commandLine.edits.push_back(request);
    return true;
}

bool AddSwapRows(const std::string& text, CommandLine& commandLine, std::string& error)
{
    EditRequest request;
    request.kind = EditOption::SwapRows;
    request.argument = text;
    if (!ParsePair(text, kPaletteRowCount, request.one, request.other))
    {
        error = "--swap-rows takes two rows A,B from 0 to 15, not " + QuotedName(text);
        return false;
    }
    commandLine.edits.push_back(request);
    return true;
}

// I,J or I,J,pixels: the pixels follow their colours when asked.
bool AddSwapEntries(const std::string& text, CommandLine& commandLine, std::string& error)
{
    EditRequest request;
    request.kind = EditOption::SwapIndices;
    request.argument = text;
    std::string pair = text;
    const std::string pixels = ",pixels";
    if (pair.size() > pixels.size() &&
        pair.compare(pair.size() - pixels.size(), pixels.size(), pixels) == 0)
    {
        pair.resize(pair.size() - pixels.size());
        request.swap = IndexSwap::ColorsAndPixels;
    }
    if (!ParsePair(pair, kPaletteRowSize, request.one, request.other))
    {
        error = "--swap-entries takes two indices I,J from 0 to 15, then ,pixels if the pixels "
                "follow, not " + QuotedName(text);
        return false;
    }
    commandLine.edits.push_back(request);
    return true;
}

// A coordinate of a paste: the picture may reach past the sheet's edges,
// but not further than a picture can be wide.
bool ParseOffset(const std::string& text, std::int32_t& offset)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, offset);
    return error == std::errc() && stop == end && offset >= -kMaxPictureSide &&
           offset <= kMaxPictureSide;
}

// FILE@X,Y, split at the last '@', for a name may hold one.
bool AddPaste(const std::string& text, CommandLine& commandLine, std::string& error)
{
    EditRequest request;
    request.kind = EditOption::PastePicture;
    const std::size_t at = text.rfind('@');
    const std::size_t comma = at == std::string::npos ? at : text.find(',', at);
    if (at == std::string::npos || at == 0 || comma == std::string::npos ||
        !ParseOffset(text.substr(at + 1, comma - at - 1), request.x) ||
        !ParseOffset(text.substr(comma + 1), request.y))
    {
        error = "--paste takes FILE@X,Y with X and Y from -16384 to 16384, not " +
                QuotedName(text);
        return false;
    }
    request.argument = text.substr(0, at);
    commandLine.edits.push_back(request);
    return true;
}

bool AddPalette(const char* argument, CommandLine& commandLine, ParseState& state)
{
    EditRequest& request = commandLine.edits.emplace_back();
    request.kind = EditOption::ReplaceColors;
    request.argument = argument;
    request.first = state.pendingFirst;
    state.pendingFirst.reset();
    return true;
}

bool SetPaletteFirst(const char* argument, CommandLine& commandLine, ParseState& state,
                     std::string& error)
{
    std::int32_t first = 0;
    if (!ParseNumberBelow(argument, kSprColorCount, first))
    {
        error = "palette entry must be a number from 0 to 255, not " + QuotedName(argument);
        return false;
    }
    std::vector<EditRequest>& edits = commandLine.edits;
    if (!edits.empty() && edits.back().kind == EditOption::ReplaceColors && !edits.back().first)
        edits.back().first = first;
    else if (!state.pendingFirst)
        state.pendingFirst = first;
    else
    {
        error = "--palette-at is given twice for one --palette";
        return false;
    }
    return true;
}

bool ApplyOption(int code, const char* argument, CommandLine& commandLine, ParseState& state,
                 std::string& error)
{
    switch (code)
    {
    case 'o':
        commandLine.output = argument;
        return true;
    case kOptionLossy:
        commandLine.lossy = true;
        return true;
    case kOptionTo:
        commandLine.target = TargetFormatNamed(argument);
        if (!commandLine.target)
            error = "unknown format " + QuotedName(argument) + " (" + TargetFormatNames() + ")";
        return commandLine.target.has_value();
    case kOptionPaletteRow:
        commandLine.paletteRow.emplace();
        if (!ParseNumberBelow(argument, kPaletteRowCount, *commandLine.paletteRow))
        {
            error =
                "palette row must be a number from 0 to 15, not " + QuotedName(argument);
            return false;
        }
        return true;
    case kOptionTrailingFrom:
        commandLine.trailingFrom = argument;
        return true;
    case kOptionPalette:
        return AddPalette(argument, commandLine, state);
    case kOptionPaletteAt:
        return SetPaletteFirst(argument, commandLine, state, error);
    case kOptionMatchPalette:
        commandLine.matchPalette = argument;
        return true;
    case kOptionTransparentZero:
        commandLine.transparentZero = true;
        return true;
    case kOptionReduce:
        return AddReduce(argument, commandLine, error);
    case kOptionDither:
        return SetDither(argument, state, error);
    case kOptionKeepRowColors:
        return SetTarget(ReduceTarget::KeepUsedColors, "--keep-row-colors", state, error);
    case kOptionFixedRowColors:
        return SetTarget(ReduceTarget::FixedColors, "--fixed-row-colors", state, error);
    case kOptionAlphaThreshold:
        return SetAlphaThreshold(argument, state, error);
    case kOptionReduceClasses:
        state.reduceClasses = true;
        return true;
    case kOptionSetColor:
        return AddSetColor(argument, commandLine, error);
    case kOptionSwapRows:
        return AddSwapRows(argument, commandLine, error);
    case kOptionSwapEntries:
        return AddSwapEntries(argument, commandLine, error);
    case kOptionPaste:
        return AddPaste(argument, commandLine, error);
    case kOptionInfo:
        commandLine.info = true;
        return true;
    case kOptionJson:
        commandLine.json = true;
        return true;
    case kOptionHelp:
        commandLine.help = true;
        return true;
    case kOptionVersion:
        commandLine.version = true;
        return true;
    default:
        return false;
    }
}

// The run's reduction settings go to every edit that reduces; without an
// input, the base picture of --colorways is the input.
bool ApplyReduceSettings(CommandLine& commandLine, const ParseState& state, std::string& error)
{
    const bool colorways = HasEdit(commandLine, EditOption::ImportColorways);
    const bool reduce = HasEdit(commandLine, EditOption::ReduceColors);
    if (state.reduceClasses && !colorways)
        error = "--reduce-classes goes with --colorways";
    else if (!state.reduceSetting.empty() && !reduce && !state.reduceClasses)
        error = state.reduceSetting + " goes with --reduce or --reduce-classes";
    else if (state.alphaThreshold && !reduce && !colorways)
        error = "--alpha-threshold goes with --reduce or --colorways";
    if (!error.empty())
        return false;
    for (EditRequest& request : commandLine.edits)
    {
        request.reduce = state.reduce;
        request.reduceClasses = state.reduceClasses;
        request.pasteRow = commandLine.paletteRow.value_or(0);
    }
    if (commandLine.inputs.empty() && colorways && !commandLine.info)
        for (const EditRequest& request : commandLine.edits)
            if (request.kind == EditOption::ImportColorways)
            {
                commandLine.inputs.push_back(request.pictures.front().first);
                break;
            }
    return true;
}

bool CheckCombination(CommandLine& commandLine, const ParseState& state, std::string& error)
{
    if (commandLine.help || commandLine.version)
        return true;
    if (!ApplyReduceSettings(commandLine, state, error))
        return false;
    if (commandLine.inputs.empty())
        error = "missing file operand";
    else if (commandLine.json && !commandLine.info)
        error = "--json goes with --info";
    else if (commandLine.info &&
             (commandLine.output || commandLine.target || commandLine.paletteRow ||
              commandLine.trailingFrom || commandLine.lossy || !commandLine.edits.empty() ||
              state.pendingFirst || commandLine.matchPalette || commandLine.transparentZero ||
              !state.reduceSetting.empty() || state.alphaThreshold || state.reduceClasses))
        error = "--info takes no conversion options";
    else if (state.pendingFirst)
        error = "--palette-at goes with --palette";
    else if (!commandLine.info && !commandLine.output)
        error = "missing output: give -o OUTPUT";
    return error.empty();
}

} // namespace

bool HasEdit(const CommandLine& commandLine, EditOption kind)
{
    return std::any_of(commandLine.edits.begin(), commandLine.edits.end(),
                       [kind](const EditRequest& request) { return request.kind == kind; });
}

bool ParseCommandLine(int argc, char** argv, CommandLine& commandLine, std::string& error)
{
    // getopt words its own complaints ("unrecognized option '--x'") under
    // the program's name rather than the path it was started by.
    std::vector<char*> arguments(argv, argv + argc);
    std::string name = kProgramName;
    arguments[0] = name.data();
    opterr = 1;
    optind = 1;
    int code;
    ParseState state;
    while ((code = getopt_long(argc, arguments.data(), "o:", kOptions, nullptr)) != -1)
    {
        if (code == '?')
            return false;
        const bool applied =
            code == kOptionColorways
                ? AddColorways(optarg, argc, arguments.data(), commandLine, error)
                : ApplyOption(code, optarg, commandLine, state, error);
        if (!applied)
            return false;
    }
    commandLine.inputs.assign(arguments.begin() + optind, arguments.end());
    return CheckCombination(commandLine, state, error);
}

void PrintHelp(std::FILE* stream)
{
    std::fputs("Usage: tavrel-convert [OPTION]... INPUT... -o OUTPUT\n"
               "  or:  tavrel-convert --info [--json] FILE...\n"
               "Convert sprite sheets (SPR, SP2), BMP and PNG pictures and palette files\n"
               "exactly as the Tavrel viewer's Save, Export, Import, Load Palette and Save\n"
               "Palette commands do, index for index.\n"
               "\n"
               "  -o, --output=OUTPUT      a file for one input, or a folder for any number;\n"
               "                             in a folder each output keeps its input's base\n"
               "                             name with the new extension; '-' writes the\n"
               "                             one input's output to standard output (give\n"
               "                             --to)\n"
               "      --to=FORMAT          bmp, png, spr, sp2, pal (JASC-PAL), gpl (GIMP) or\n"
               "                             act (Adobe Color Table); by default OUTPUT's\n"
               "                             extension\n"
               "      --palette-row=N      BMP or PNG output: write the sheet as the viewer\n"
               "                             shows it in palette row N (0 to 15): colours\n"
               "                             16*N to 16*N+15 in entries 0 to 15 (PNG: a\n"
               "                             4-bit picture of 16 colours); palette output:\n"
               "                             those 16 colours only; with --match-palette:\n"
               "                             match onto that row; with --paste: map the\n"
               "                             pasted colours onto that row\n"
               "      --palette=FILE       replace colours with those of the palette file\n"
               "                             FILE before anything is written; given more\n"
               "                             than once, in the order given\n"
               "      --palette-at=K       with --palette: start at entry K (0 to 255; by\n"
               "                             default 0) for the --palette before it, or\n"
               "                             the next one\n"
               "      --match-palette=FILE  give the input the indices of the colour table\n"
               "                             of FILE (an SPR, SP2 or palette file): every\n"
               "                             colour it uses must be exactly one entry, or\n"
               "                             the file fails naming the colour and pixel\n"
               "      --reduce=ROW         fit a picture of any colours into palette row ROW\n"
               "                             (0 to 15) as the viewer's Reduce Colours does:\n"
               "                             indices 0 to 15, up to 15 colours chosen in\n"
               "                             15 bits, entry 0 transparent, the other rows as\n"
               "                             they were; an edit, in the order given\n"
               "      --fixed-row-colors   with --reduce or --reduce-classes: map the picture\n"
               "                             onto the row's colours as they are\n"
               "      --keep-row-colors    with --reduce or --reduce-classes: keep the row's\n"
               "                             colours that the picture uses exactly and\n"
               "                             choose the rest\n"
               "      --dither=WAY         with --reduce or --reduce-classes: none (by\n"
               "                             default), ordered (a 4x4 Bayer pattern) or\n"
               "                             diffusion[:STRENGTH] (error diffusion, 0 to\n"
               "                             100 %, by default 100)\n"
               "      --alpha-threshold=N  with --reduce or --colorways: alpha below N (1 to\n"
               "                             255, by default 128) is transparent\n"
               "      --colorways=BASE:ROW [PICTURE:ROW]...\n"
               "                           one sprite recoloured up to 15 times becomes one\n"
               "                             sheet: the pictures (up to the next option)\n"
               "                             share the pixels, each gives its colours to its\n"
               "                             palette row; more than 15 colour classes (pixels\n"
               "                             alike in every picture) fail, naming the pixel\n"
               "                             that makes the 16th; BASE is the input when\n"
               "                             none is given\n"
               "      --reduce-classes     with --colorways: reduce more than 15 colour\n"
               "                             classes instead, the base picture as --reduce\n"
               "                             does, with its options\n"
               "      --set-color=ENTRY=#RRGGBB\n"
               "                           set palette entry ENTRY (0 to 255) to the colour,\n"
               "                             rounded down to a 15-bit colour word\n"
               "      --swap-rows=A,B      swap palette rows A and B (0 to 15)\n"
               "      --swap-entries=I,J[,pixels]\n"
               "                           swap indices I and J (0 to 15) in every palette\n"
               "                             row; with ',pixels' the pixels follow, so the\n"
               "                             sheet looks the same\n"
               "      --paste=FILE@X,Y     paste the BMP or PNG picture FILE with its\n"
               "                             top-left at X,Y as the viewer's Paste does:\n"
               "                             its colours must be exactly those of palette\n"
               "                             row --palette-row (by default 0), index 0\n"
               "                             lets the sheet show through\n"
               "      --transparent-zero   PNG output: mark palette entry 0 transparent\n"
               "      --trailing-from=FILE  SPR output from a BMP or SP2 input: carry over\n"
               "                             the trailing block of the SPR file FILE\n"
               "      --lossy              SPR or SP2 output: write a picture the sheet\n"
               "                             cannot hold exactly (colour entries above 15,\n"
               "                             another size, colours a 15-bit colour word\n"
               "                             holds only rounded) all the same; without it\n"
               "                             such a file fails, listing what would change\n"
               "      --info               describe each FILE: format, size, depth, colours\n"
               "                             shown per palette row (sheets), trailing block\n"
               "                             size; a picture's pixels are not read\n"
               "      --json               with --info, write JSON instead of text lines\n"
               "      --help               display this help and exit\n"
               "      --version            output version information and exit\n"
               "\n"
               "An input's kind comes from its content where that has a signature (BMP,\n"
               "PNG, JASC-PAL, GIMP, RIFF PAL): a PNG named .bmp is read as a PNG. Else it\n"
               "comes from its extension: .bmp and .png are pictures, .spr and .sp2\n"
               "sheets, .pal, .gpl and .act palette files. Any other file, and pictures\n"
               "of other formats (JPEG, GIF, TIFF, WebP, TGA), are refused. SPR and SP2\n"
               "inputs become BMP and PNG files\n"
               "with their whole colour table; pictures must be 8-bit to become sheets\n"
               "(--reduce fits one of any colours into a palette row, never on its own);\n"
               "one that uses entries above 15 or is not of the sheet's size is refused\n"
               "unless --lossy is given. A palette file becomes only another palette\n"
               "file. An SPR input keeps its trailing block when written\n"
               "as SPR. The edits (--palette, --reduce, --colorways, --set-color,\n"
               "--swap-rows, --swap-entries, --paste) apply in the order given, each as\n"
               "the viewer's command does, before anything is written; the first that\n"
               "fails fails the file. Existing output files are replaced\n"
               "safely: a failed write leaves them as they were. Standard output, under\n"
               "any name, is written where it stands, never replaced.\n"
               "\n"
               "Interrupted (SIGINT, SIGTERM, SIGHUP), it puts in place the files already\n"
               "converted, removes every temporary file, and exits 128 + the signal. A\n"
               "signal ignored at start (nohup) stays ignored.\n"
               "\n"
               "Exit status: 0 if every file was converted, 1 if any file failed (the\n"
               "others are still converted) or what went to standard output did not all\n"
               "arrive, 2 for bad usage, 129, 130 or 143 when interrupted.\n",
               stream);
}

void PrintVersion(std::FILE* stream)
{
    std::fprintf(stream, "%s (Tavrel) %s\n", kProgramName, TAVREL_VERSION);
}

int ReportBadUsage(const std::string& message)
{
    if (!message.empty())
        std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str());
    std::fprintf(stderr, "Try '%s --help' for more information.\n", kProgramName);
    return kExitBadUsage;
}

void ReportFileFailure(const std::string& file, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s\n", kProgramName, ShownName(file).c_str(), reason.c_str());
}

bool CloseStandardOutput()
{
    const bool failedEarlier = std::ferror(stdout) != 0;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !failedEarlier;
    const int flushError = errno;
    // A standard output that was never open is no failure when nothing was
    // written to it.
    const bool closed = std::fclose(stdout) == 0 || (errno == EBADF && flushed);
    if (flushed && closed)
        return true;
    const int error = flushed ? errno : flushError;
    std::fprintf(stderr, "%s: write error%s%s\n", kProgramName, error != 0 ? ": " : "",
                 error != 0 ? std::strerror(error) : "");
    return false;
}
