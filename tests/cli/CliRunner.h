#pragma once

#include "core/TestFiles.h"

#include <string>
#include <vector>

// The outcome of one run of the real tavrel-convert.
struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with the arguments, in the folder, stdout and stderr
// captured through files (so stderr is never a terminal).
CliRun RunConvert(const TempFolder& folder, const std::vector<std::string>& arguments);

// Runs any program the same way; command[0] is its full path.
CliRun RunProgram(const TempFolder& folder, const std::vector<std::string>& command);

// Runs tavrel-convert under a pseudo-terminal; answers what it printed there.
std::string RunOnTerminal(const TempFolder& folder, const std::vector<std::string>& arguments);

// Seeded random files of each kind, as bytes.
std::vector<std::uint8_t> RandomSpr(unsigned seed, std::size_t trailingSize);
std::vector<std::uint8_t> RandomSp2(unsigned seed);
// A 24-bit BMP of the given size, all pixels one grey.
void WriteTrueColourBmp(const std::string& path, int width, int height);

std::vector<std::string> Lines(const std::string& text);
