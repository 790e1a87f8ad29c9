#include "cli/Batch.h"

#include "cli/Conversion.h"
#include "cli/OutputPlan.h"
#include "cli/ProgressLine.h"
#include "formats/TrailingBlock.h"
#include "io/ReplaceBatch.h"

#include <memory>

namespace
{

const char* WriteFailedMessage(FileKind target)
{
    return MessageText(target == FileKind::Bmp ? Message::ExportBmpFailed : Message::WriteFailed);
}

// Several outputs share one sync instead of two each, which is most of the
// time a conversion takes on a real disk.
class COutputBatch
{
public:
    explicit COutputBatch(std::size_t jobCount)
    {
        if (jobCount > 1)
            m_batch = std::make_unique<CReplaceBatch>();
    }

    CReplaceBatch* Get() { return m_batch.get(); }

    // Files that started waiting since the last call belong to this job.
    void AfterJob(std::size_t job)
    {
        if (m_batch)
            m_jobOf.resize(m_batch->Waiting(), job);
    }

    // Puts the outputs in place; answers the jobs whose output could not be.
    std::vector<std::size_t> FinishJobs()
    {
        std::vector<std::size_t> failedJobs;
        if (m_batch)
            for (const std::size_t position : m_batch->Finish())
                failedJobs.push_back(m_jobOf[position]);
        return failedJobs;
    }

private:
    std::unique_ptr<CReplaceBatch> m_batch;
    std::vector<std::size_t> m_jobOf; // the job of each waiting file
};

} // namespace

int RunConversions(const CommandLine& commandLine)
{
    OutputPlan plan;
    std::string usageError;
    if (!PlanOutputs(commandLine, plan, usageError))
        return ReportBadUsage(usageError);

    CTrailingBlock trailingFrom;
    ConversionSettings settings{plan.target, commandLine.paletteRow, nullptr};
    if (commandLine.trailingFrom)
    {
        // Without it every SPR written would lack the block asked for.
        if (const Result read = ReadTrailingFrom(*commandLine.trailingFrom, trailingFrom); !read)
        {
            ReportFileFailure(*commandLine.trailingFrom, FullText(read));
            return kExitSomeFileFailed;
        }
        settings.trailingFrom = &trailingFrom;
    }

    bool anyFailed = false;
    CProgressLine progress(plan.jobs.size());
    COutputBatch batch(plan.jobs.size());
    settings.batch = batch.Get();
    for (std::size_t i = 0; i < plan.jobs.size(); ++i)
    {
        const ConversionJob& job = plan.jobs[i];
        progress.Show(i + 1, job.input);
        const std::string failure =
            job.refusal.empty() ? ConvertFile(job.input, job.output, settings) : job.refusal;
        batch.AfterJob(i);
        if (!failure.empty())
        {
            progress.Clear();
            ReportFileFailure(job.input, failure);
            anyFailed = true;
        }
    }
    for (const std::size_t failedJob : batch.FinishJobs())
    {
        progress.Clear();
        ReportFileFailure(plan.jobs[failedJob].input, WriteFailedMessage(plan.target));
        anyFailed = true;
    }
    return anyFailed ? kExitSomeFileFailed : kExitSuccess;
}
