#include "cli/Batch.h"
#include "cli/CommandLine.h"
#include "cli/SheetInfo.h"

#include <cstdio>

int main(int argc, char** argv)
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
