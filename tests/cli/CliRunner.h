#pragma once

#include "core/SpriteFileTestFiles.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

// The outcome of one run of the real tavrel-convert.
struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with the arguments in the folder, as a script would: its
// output goes to files. On a terminal it runs under a pseudo-terminal, and
// `out` holds what the terminal showed.
inline CliRun RunConvert(const TempFolder& folder, const std::vector<std::string>& arguments,
                         bool onTerminal = false)
{
    std::string command = TAVREL_CONVERT;
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    if (onTerminal)
        command = "/usr/bin/script -qec \"" + command + "\" /dev/null";
    const TempFolder streams; // outside the folder, which tests may list
    const std::string out = streams.Path("out");
    const std::string err = streams.Path("err");
    const int status = std::system(
        ("cd '" + folder.Root().string() + "' && " + command + " >" + out + " 2>" + err).c_str());
    const Bytes outBytes = ReadBytes(out);
    const Bytes errBytes = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            {outBytes.begin(), outBytes.end()},
            {errBytes.begin(), errBytes.end()}};
}
