#include "cli/CommandLine.h"

#include "formats/SpriteFile.h"

#include <getopt.h>

#include <charconv>
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
};

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"to", required_argument, nullptr, kOptionTo},
    {"palette-row", required_argument, nullptr, kOptionPaletteRow},
    {"trailing-from", required_argument, nullptr, kOptionTrailingFrom},
    {"info", no_argument, nullptr, kOptionInfo},
    {"json", no_argument, nullptr, kOptionJson},
    {"help", no_argument, nullptr, kOptionHelp},
    {"version", no_argument, nullptr, kOptionVersion},
    {nullptr, 0, nullptr, 0},
};

bool ParsePaletteRow(const std::string& text, std::int32_t& row)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, row);
    return error == std::errc() && stop == end && row >= 0 && row < kPaletteRowCount;
}

bool ApplyOption(int code, const char* argument, CommandLine& commandLine, std::string& error)
{
    switch (code)
    {
    case 'o':
        commandLine.output = argument;
        return true;
    case kOptionTo:
        commandLine.target = KindFromName(argument);
        if (!commandLine.target)
            error = std::string("unknown format '") + argument + "' (bmp, spr or sp2)";
        return commandLine.target.has_value();
    case kOptionPaletteRow:
        commandLine.paletteRow.emplace();
        if (!ParsePaletteRow(argument, *commandLine.paletteRow))
        {
            error =
                std::string("palette row must be a number from 0 to 15, not '") + argument + "'";
            return false;
        }
        return true;
    case kOptionTrailingFrom:
        commandLine.trailingFrom = argument;
        return true;
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

bool CheckCombination(const CommandLine& commandLine, std::string& error)
{
    if (commandLine.help || commandLine.version)
        return true;
    if (commandLine.inputs.empty())
        error = "missing file operand";
    else if (commandLine.json && !commandLine.info)
        error = "--json goes with --info";
    else if (commandLine.info && (commandLine.output || commandLine.target ||
                                  commandLine.paletteRow || commandLine.trailingFrom))
        error = "--info takes no conversion options";
    else if (!commandLine.info && !commandLine.output)
        error = "missing output: give -o OUTPUT";
    return error.empty();
}

} // namespace

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
    while ((code = getopt_long(argc, arguments.data(), "o:", kOptions, nullptr)) != -1)
    {
        if (code == '?')
            return false;
        if (!ApplyOption(code, optarg, commandLine, error))
            return false;
    }
    commandLine.inputs.assign(arguments.begin() + optind, arguments.end());
    return CheckCombination(commandLine, error);
}

void PrintHelp(std::FILE* stream)
{
    std::fputs("Usage: tavrel-convert [OPTION]... INPUT... -o OUTPUT\n"
               "  or:  tavrel-convert --info [--json] FILE...\n"
               "Convert sprite sheets (SPR, SP2) and BMP pictures exactly as the Tavrel\n"
               "viewer's Save, Export and Import commands do, index for index.\n"
               "\n"
               "  -o, --output=OUTPUT      a file for one input, or a folder for any number;\n"
               "                             in a folder each output keeps its input's base\n"
               "                             name with the new extension\n"
               "      --to=FORMAT          bmp, spr or sp2; by default OUTPUT's extension\n"
               "      --palette-row=N      BMP output: write the sheet as the viewer shows\n"
               "                             it in palette row N (0 to 15): colours 16*N to\n"
               "                             16*N+15 in entries 0 to 15\n"
               "      --trailing-from=FILE  SPR output from a BMP or SP2 input: carry over\n"
               "                             the trailing block of the SPR file FILE\n"
               "      --info               describe each FILE: format, size, depth, colours\n"
               "                             shown per palette row, trailing block size\n"
               "      --json               with --info, write JSON instead of text lines\n"
               "      --help               display this help and exit\n"
               "      --version            output version information and exit\n"
               "\n"
               "An input's kind comes from its extension: .bmp is a BMP picture, .sp2 an\n"
               "SP2 sheet, anything else an SPR sheet. SPR and SP2 inputs become BMP files\n"
               "with their whole colour table; BMP inputs must be 8-bit pictures to become\n"
               "sheets, and are cut or padded to the sheet's size. An SPR input keeps its\n"
               "trailing block when written as SPR. Existing output files are replaced\n"
               "safely: a failed write leaves them as they were.\n"
               "\n"
               "Exit status: 0 if every file was converted, 1 if any file failed (the\n"
               "others are still converted), 2 for bad usage.\n",
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
    std::fprintf(stderr, "%s: %s: %s\n", kProgramName, file.c_str(), reason.c_str());
}
