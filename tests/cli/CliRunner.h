// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/SpriteFileTestFiles.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>

// The outcome of one run of the real tavrel-convert.
struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command line in the folder, with $C the program, as a script
// would: what it writes goes to files.
inline CliRun RunShell(const TempFolder& folder, const std::string& script)
{
    const TempFolder streams; // outside the folder, which tests may list
    const std::string out = streams.Path("out");
    const std::string err = streams.Path("err");
    const int status = std::system(("cd '" + folder.Root().string() + "' && C=" TAVREL_CONVERT +
                                    " && { " + script + " ; } >" + out + " 2>" + err)
                                       .c_str());
    const Bytes outBytes = ReadBytes(out);
    const Bytes errBytes = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            {outBytes.begin(), outBytes.end()},
            {errBytes.begin(), errBytes.end()}};
}

// The most memory any program this process ran has held, in KiB.
inline long LargestChildKiB()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

// Runs the program with the arguments in the folder. On a terminal it runs
// under a pseudo-terminal, and `out` holds what the terminal showed.
inline CliRun RunConvert(const TempFolder& folder, const std::vector<std::string>& arguments,
                         bool onTerminal = false)
{
    std::string command = "$C";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    return RunShell(folder,
                    onTerminal ? "/usr/bin/script -qec \"" + command + "\" /dev/null" : command);
}
