// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/SheetEdits.h"
#include "cli/TerminalText.h"
#include "formats/FileFormats.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Exit statuses, as scripts expect them.
constexpr int kExitSuccess = 0;
constexpr int kExitSomeFileFailed = 1;
constexpr int kExitBadUsage = 2;
// A run stopped by a signal exits as the shell reports a killed program.
constexpr int kExitSignalBase = 128;

constexpr char kProgramName[] = "tavrel-convert";

// What the user asked for, checked only for its own consistency; what the
// named files and folders are is looked at later.
struct CommandLine
{
    bool help = false;
    bool version = false;
    bool info = false;
    bool json = false;
    std::vector<std::string> inputs;
    std::optional<std::string> output;
    std::optional<FileFormat> target;
    std::optional<std::int32_t> paletteRow;
    std::optional<std::string> trailingFrom;
    bool lossy = false;
    // Changes to colours and indices, in the order given.
    std::vector<EditRequest> edits;
    // The colours of the input are read as indices of this file's table
    // before any edit.
    std::optional<std::string> matchPalette;
    bool transparentZero = false;
};

// False when the arguments make no sense, with a message for the user (empty
// when getopt has already complained).
bool ParseCommandLine(int argc, char** argv, CommandLine& commandLine, std::string& error);
// Whether an edit of that kind was asked for.
bool HasEdit(const CommandLine& commandLine, EditOption kind);

void PrintHelp(std::FILE* stream);
void PrintVersion(std::FILE* stream);
// `-o -`: the output is standard output.
constexpr char kStandardOutputName[] = "-";

// One line on stderr naming the file and why it failed.
void ReportFileFailure(const std::string& file, const std::string& reason);
// Prints the message (if any) in the usual form and answers kExitBadUsage.
int ReportBadUsage(const std::string& message);
// Flushes and closes standard output; false, with a message, when what was
// written there did not all arrive (a full disk, /dev/full).
bool CloseStandardOutput();
