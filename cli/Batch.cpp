// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Batch.h"

#include "cli/Conversion.h"
#include "cli/JobWorkers.h"
#include "cli/OutputPlan.h"
#include "cli/ProgressLine.h"
#include "document/DocumentFiles.h"
#include "document/PaletteSource.h"
#include "formats/TrailingBlock.h"
#include "image/ColorTable.h"
#include "io/ReplaceBatch.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <memory>

namespace
{

// Read by every thread of the run; a lock-free atomic may be set in a
// signal handler.
std::atomic<int> g_stopSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free);

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

    CReplaceBatch* Get() const { return m_batch.get(); }

    // The job's outputs join the batch, after those of the jobs before it.
    void Adopt(std::size_t job, CReplaceBatch& outputs)
    {
        if (!m_batch)
            return;
        m_batch->TakeFrom(outputs);
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
    }

    // Answers the exit status.
    int Run()
    {
        // The files done, which the message counts, are those in place or
        // failed for their own reasons; the signal waits for the chunk.
        const std::size_t done = m_plan.jobs.size() > 1 ? ConvertOnWorkers() : ConvertAlone();
        FinishBatch();
        m_progress.Clear();
        if (g_stopSignal != 0)
            return Stopped(done);
        return m_anyFailed ? kExitSomeFileFailed : kExitSuccess;
    }

private:
    std::size_t ConvertAlone()
    {
        if (m_plan.jobs.empty() || g_stopSignal != 0)
            return 0;
        m_progress.Show(1, ShownName(m_plan.jobs.front().input));
        JobOutcome outcome;
        ConvertJob(0, outcome);
        return Retire(0, outcome) ? 1 : 0;
    }

    // Several inputs are converted at once while the outputs of those
    // before them are synced and put in place; outcomes are reported in
    // the inputs' order.
    std::size_t ConvertOnWorkers()
    {
        const std::size_t count = m_plan.jobs.size();
        CJobWorkers workers(
            count, CJobWorkers::ThreadsFor(count),
            [this](std::size_t job, JobOutcome& outcome) { ConvertJob(job, outcome); },
            g_stopSignal);
        std::size_t done = 0;
        while (done < count && g_stopSignal == 0)
        {
            m_progress.Show(done + 1, ShownName(m_plan.jobs[done].input));
            const std::unique_ptr<JobOutcome> outcome = workers.TakeNext();
            if (!outcome || !Retire(done, *outcome))
                break;
            ++done;
            if (m_batch.Full())
                FinishBatch();
        }
        workers.Stop();
        return done;
    }

    // On any thread: the run's settings are only read.
    void ConvertJob(std::size_t index, JobOutcome& outcome) const
    {
        const ConversionJob& job = m_plan.jobs[index];
        ConversionSettings settings = m_settings;
        settings.batch = m_batch.Get() ? &outcome.outputs : nullptr;
        outcome.failure =
            job.refusal.empty() ? ConvertFile(job.input, job.output, settings) : job.refusal;
    }

    // False when the signal cut the file short: it is neither done nor the
    // file's fault, and its output is dropped.
    bool Retire(std::size_t index, JobOutcome& outcome)
    {
        const ConversionJob& job = m_plan.jobs[index];
        if (!outcome.failure.empty() && g_stopSignal != 0)
            return false;
        m_batch.Adopt(index, outcome.outputs);
        if (!outcome.failure.empty())
            Fail(job, outcome.failure);
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
                     sigabbrev_np(g_stopSignal.load()), started, m_plan.jobs.size());
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
