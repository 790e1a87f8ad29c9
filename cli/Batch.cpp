// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Batch.h"

#include "cli/Conversion.h"
#include "cli/OutputPlan.h"
#include "cli/ProgressLine.h"
#include "document/DocumentFiles.h"
#include "document/PaletteSource.h"
#include "formats/TrailingBlock.h"
#include "image/ColorTable.h"
#include "io/ReplaceBatch.h"

#include <csignal>
#include <cstring>
#include <memory>

namespace
{

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal)
{
    g_stopSignal = signal;
}

// The handler only notes the signal; the loop stops between files. Without
// SA_RESTART a write blocked on a pipe returns (EINTR) instead of waiting on.
// A reader that went away (EPIPE) fails that one output, not the run. A
// signal ignored from the start (nohup, a background job of a shell
// without job control) stays ignored.
void CatchSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        struct sigaction inherited
        {
        };
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

// Several outputs share one sync instead of two each, which is most of the
// time a conversion takes on a real disk. The batch is finished whenever it
// is full, so that a long run keeps few files open and, when stopped, has
// put in place everything before its last chunk.
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

    bool Full() const { return m_batch && m_batch->Full(); }

    // Puts the outputs in place; answers the jobs whose output could not be.
    std::vector<std::size_t> FinishJobs()
    {
        std::vector<std::size_t> failedJobs;
        if (m_batch)
            for (const std::size_t position : m_batch->Finish())
                failedJobs.push_back(m_jobOf[position]);
        m_jobOf.clear();
        return failedJobs;
    }

private:
    std::unique_ptr<CReplaceBatch> m_batch;
    std::vector<std::size_t> m_jobOf; // the job of each waiting file
};

class CConversionRun
{
public:
    CConversionRun(const OutputPlan& plan, ConversionSettings settings)
        : m_plan(plan), m_settings(settings), m_progress(plan.jobs.size()),
          m_batch(plan.jobs.size())
    {
        m_settings.batch = m_batch.Get();
    }

    // Answers the exit status.
    int Run()
    {
        // The files done, which the message counts, are those in place or
        // failed for their own reasons; the signal waits for the chunk.
        std::size_t done = 0;
        while (done < m_plan.jobs.size() && g_stopSignal == 0 && Convert(done))
        {
            ++done;
            if (m_batch.Full())
                FinishBatch();
        }
        FinishBatch();
        m_progress.Clear();
        if (g_stopSignal != 0)
            return Stopped(done);
        return m_anyFailed ? kExitSomeFileFailed : kExitSuccess;
    }

private:
    // False when the signal cut the file short: it is neither done nor the
    // file's fault.
    bool Convert(std::size_t index)
    {
        const ConversionJob& job = m_plan.jobs[index];
        m_progress.Show(index + 1, ShownName(job.input));
        const std::string failure =
            job.refusal.empty() ? ConvertFile(job.input, job.output, m_settings) : job.refusal;
        m_batch.AfterJob(index);
        if (failure.empty())
            return true;
        if (g_stopSignal != 0)
            return false;
        Fail(job, failure);
        return true;
    }

    void FinishBatch()
    {
        for (const std::size_t failedJob : m_batch.FinishJobs())
            Fail(m_plan.jobs[failedJob], MessageText(WriteFailedMessage(m_plan.target)));
    }

    void Fail(const ConversionJob& job, const std::string& failure)
    {
        m_progress.Clear();
        ReportFileFailure(job.input, failure);
        m_anyFailed = true;
    }

    int Stopped(std::size_t started)
    {
        std::fprintf(stderr, "%s: stopped by SIG%s after %zu of %zu files\n", kProgramName,
                     sigabbrev_np(g_stopSignal), started, m_plan.jobs.size());
        return kExitSignalBase + g_stopSignal;
    }

    const OutputPlan& m_plan;
    ConversionSettings m_settings;
    CProgressLine m_progress;
    COutputBatch m_batch;
    bool m_anyFailed = false;
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
    settings.lossy = commandLine.lossy;
    settings.transparentZero = commandLine.transparentZero;
    // The files every input shares are read once; without them no output
    // would be what was asked for.
    std::vector<SheetEdit> edits;
    if (EditsFailure failure; !PrepareEdits(commandLine.edits, edits, failure))
    {
        if (!failure.usage.empty())
            return ReportBadUsage(failure.usage);
        ReportFileFailure(failure.file, ShownFailure(failure.result));
        return kExitSomeFileFailed;
    }
    settings.edits = &edits;
    CColorTable matchTable;
    if (commandLine.matchPalette)
    {
        if (const Result read =
                LoadColorTable(*commandLine.matchPalette, commandLine.paletteRow, matchTable);
            !read)
        {
            ReportFileFailure(*commandLine.matchPalette, ShownFailure(read));
            return kExitSomeFileFailed;
        }
        settings.matchPalette = &matchTable;
    }
    if (commandLine.trailingFrom)
    {
        // Without it every SPR written would lack the block asked for.
        if (const Result read = ReadTrailingBlockFile(*commandLine.trailingFrom, trailingFrom);
            !read)
        {
            ReportFileFailure(*commandLine.trailingFrom, ShownFailure(read));
            return kExitSomeFileFailed;
        }
        settings.trailingFrom = &trailingFrom;
    }
    CatchSignals();
    return CConversionRun(plan, settings).Run();
}
