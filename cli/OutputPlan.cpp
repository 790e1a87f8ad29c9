#include "cli/OutputPlan.h"

#include <filesystem>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace
{

bool IsFolder(const std::string& path)
{
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

std::string NameInFolder(const std::string& folder, const std::string& input, FileKind target)
{
    fs::path name = fs::path(input).filename();
    name.replace_extension(ExtensionOf(target));
    return (fs::path(folder) / name).string();
}

// Two spellings of one path compare equal once made absolute and normal;
// links are left to IsSameFile, which needs both files to exist.
std::string Spelling(const std::string& path)
{
    std::error_code ignored;
    const fs::path absolute = fs::absolute(path, ignored);
    return absolute.empty() ? path : absolute.lexically_normal().string();
}

bool IsSameFile(const std::string& first, const std::string& second)
{
    std::error_code ignored;
    return fs::equivalent(first, second, ignored);
}

// Replacing an input, or writing one output twice in a run, would destroy a
// file the user still has no other copy of.
void RefuseClashes(std::vector<ConversionJob>& jobs)
{
    std::map<std::string, const ConversionJob*> writtenFrom;
    for (ConversionJob& job : jobs)
    {
        if (IsSameFile(job.input, job.output) || Spelling(job.input) == Spelling(job.output))
        {
            job.refusal = "the output would replace the input itself";
            continue;
        }
        const auto [first, isNew] = writtenFrom.emplace(Spelling(job.output), &job);
        if (!isNew)
            job.refusal =
                "'" + job.output + "' is already written from '" + first->second->input + "'";
    }
}

bool ChooseTarget(const CommandLine& commandLine, bool intoFolder, FileKind& target,
                  std::string& error)
{
    if (commandLine.target)
        target = *commandLine.target;
    else if (intoFolder)
        error = "give the output format with --to when OUTPUT is a folder";
    else if (const auto fromName = KindFromName(ExtensionOfPath(*commandLine.output)))
        target = *fromName;
    else
        error = "cannot tell the output format from '" + *commandLine.output + "': use --to";
    return error.empty();
}

bool CheckOptionsFitTarget(const CommandLine& commandLine, FileKind target, std::string& error)
{
    if (commandLine.paletteRow && target != FileKind::Bmp)
        error = "--palette-row goes with BMP output";
    else if (commandLine.trailingFrom && target != FileKind::Spr)
        error = "--trailing-from goes with SPR output";
    return error.empty();
}

} // namespace

bool PlanOutputs(const CommandLine& commandLine, OutputPlan& plan, std::string& error)
{
    const std::string& output = *commandLine.output;
    const bool intoFolder = IsFolder(output);
    if (!intoFolder && commandLine.inputs.size() > 1)
    {
        error = "target '" + output + "' is not a folder";
        return false;
    }
    if (!intoFolder && !output.empty() && output.back() == '/')
    {
        error = "no such folder: '" + output + "'";
        return false;
    }
    if (!ChooseTarget(commandLine, intoFolder, plan.target, error) ||
        !CheckOptionsFitTarget(commandLine, plan.target, error))
        return false;

    plan.jobs.clear();
    for (const std::string& input : commandLine.inputs)
        plan.jobs.push_back(
            {input, intoFolder ? NameInFolder(output, input, plan.target) : output, {}});
    RefuseClashes(plan.jobs);
    return true;
}
