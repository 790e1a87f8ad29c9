// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OutputPlan.h"

#include "document/DocumentFiles.h"
#include "io/TargetPath.h"

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

bool IsFolder(const std::string& path)
{
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

std::string NameInFolder(const std::string& folder, const std::string& input, FileFormat target)
{
    return (fs::path(folder) / FileNameWithExtension(input, FormatInfo(target).extension)).string();
}

// An output that is not written, in the viewer's words and why.
std::string OutputRefusal(FileFormat target, const std::string& why)
{
    return std::string(MessageText(WriteFailedMessage(target))) + " (" + why + ")";
}

// Replacing an input, or writing one output twice in a run, would destroy a
// file the user still has no other copy of. Paths are compared by the file
// they reach, links and all, as the writer will follow them.
void RefuseClashes(std::vector<ConversionJob>& jobs, FileFormat target)
{
    std::map<FileIdentity, const ConversionJob*> writtenFrom;
    for (ConversionJob& job : jobs)
    {
        const std::optional<FileIdentity> output = IdentifyFile(job.output);
        if (!output)
            continue; // the writer will fail to create it, and say so
        // A file still to be created cannot be the input.
        if (output->newName.empty() && output == IdentifyFile(job.input))
        {
            job.refusal = OutputRefusal(target, "the output would replace the input itself");
            continue;
        }
        const auto [first, isNew] = writtenFrom.emplace(*output, &job);
        if (!isNew)
            job.refusal = OutputRefusal(target, QuotedName(job.output) + " is already written from " +
                                                    QuotedName(first->second->input));
    }
}

bool ChooseTarget(const CommandLine& commandLine, bool intoFolder, FileFormat& target,
                  std::string& error)
{
    if (commandLine.target)
        target = *commandLine.target;
    else if (intoFolder)
        error = "give the output format with --to when OUTPUT is a folder";
    else if (*commandLine.output == kStandardOutputName)
        error = "give the output format with --to when OUTPUT is standard output";
    else if (const auto fromName = TargetFormatNamed(ExtensionOfPath(*commandLine.output)))
        target = *fromName;
    else
        error =
            "cannot tell the output format from " + QuotedName(*commandLine.output) + ": use --to";
    return error.empty();
}

bool CheckOptionsFitTarget(const CommandLine& commandLine, FileFormat target, std::string& error)
{
    const bool sheetTarget = KindOf(target) == FormatKind::Sheet;
    if (commandLine.paletteRow && sheetTarget && !commandLine.matchPalette &&
        !HasEdit(commandLine, EditOption::PastePicture))
        error = "--palette-row goes with BMP, PNG or palette output, --match-palette or "
                "--paste";
    else if (commandLine.transparentZero && target != FileFormat::Png)
        error = "--transparent-zero goes with PNG output";
    else if (commandLine.trailingFrom && target != FileFormat::Spr)
        error = "--trailing-from goes with SPR output";
    else if (commandLine.trailingFrom &&
             RecogniseFile(commandLine.trailingFrom->c_str()) != FileFormat::Spr)
        error = "--trailing-from takes an SPR file, not " + QuotedName(*commandLine.trailingFrom);
    return error.empty();
}

} // namespace

bool PlanOutputs(const CommandLine& commandLine, OutputPlan& plan, std::string& error)
{
    const std::string& output = *commandLine.output;
    const bool toStandardOutput = output == kStandardOutputName;
    const bool intoFolder = !toStandardOutput && IsFolder(output);
    if (toStandardOutput && commandLine.inputs.size() > 1)
    {
        error = "standard output takes one input only";
        return false;
    }
    if (!intoFolder && commandLine.inputs.size() > 1)
    {
        error = "target " + QuotedName(output) + " is not a folder";
        return false;
    }
    if (!intoFolder && !output.empty() && output.back() == '/')
    {
        error = "no such folder: " + QuotedName(output);
        return false;
    }
    if (!ChooseTarget(commandLine, intoFolder, plan.target, error) ||
        !CheckOptionsFitTarget(commandLine, plan.target, error))
        return false;

    plan.jobs.clear();
    // /dev/stdout names whatever standard output is; the writer writes it
    // where it stands.
    const std::string file = toStandardOutput ? "/dev/stdout" : output;
    for (const std::string& input : commandLine.inputs)
        plan.jobs.push_back(
            {input, intoFolder ? NameInFolder(output, input, plan.target) : file, {}});
    // Nothing is open yet, so a closed standard output is not some file
    // that took its descriptor.
    if (toStandardOutput && fcntl(STDOUT_FILENO, F_GETFD) < 0)
        plan.jobs.front().refusal = OutputRefusal(plan.target, "standard output is closed");
    RefuseClashes(plan.jobs, plan.target);
    return true;
}
