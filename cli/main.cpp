// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Batch.h"
#include "cli/CommandLine.h"
#include "cli/SheetInfo.h"

#include <csignal>
#include <cstdio>

#include <malloc.h>

namespace
{

// Each file of a batch needs the same memory as the one before: its images,
// the PNG writer's compression state. Handed back to the system after each
// file, it would be faulted in again for the next one; kept in the heap, the
// next file reuses it.
constexpr int kKeptHeapBytes = 64 << 20;

int Run(int argc, char** argv)
{
    CommandLine commandLine;
    std::string error;
    if (!ParseCommandLine(argc, argv, commandLine, error))
        return ReportBadUsage(error);
    if (commandLine.help)
    {
        PrintHelp(stdout);
        return kExitSuccess;
    }
    if (commandLine.version)
    {
        PrintVersion(stdout);
        return kExitSuccess;
    }
    return commandLine.info ? RunInfo(commandLine) : RunConversions(commandLine);
}

} // namespace

int main(int argc, char** argv)
{
    // A write beyond `ulimit -f` fails with EFBIG and is reported, instead of
    // ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    mallopt(M_TRIM_THRESHOLD, kKeptHeapBytes);
    const int status = Run(argc, argv);
    // Output that never arrived (a full disk, /dev/full) is a failure too.
    if (!CloseStandardOutput() && status == kExitSuccess)
        return kExitSomeFileFailed;
    return status;
}
