// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/JobWorkers.h"

#include "io/DescriptorBudget.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <pthread.h>

namespace
{
// A signal sets a flag without waking anybody: waits look at it this often.
constexpr std::chrono::milliseconds kSignalCheck{20};
constexpr std::size_t kMaxThreads = 8;
// Outcomes done and not yet taken: enough for a whole chunk of the batch,
// so that workers go on while the chunk before is synced.
constexpr std::size_t kMostAhead = 64;
} // namespace

CJobWorkers::CJobWorkers(std::size_t jobCount, std::size_t threadCount, Work work,
                         const std::atomic<int>& stopSignal)
    : m_jobCount(jobCount),
      m_ahead(std::max(FilesThatMayWaitOpen(kMostAhead), std::max<std::size_t>(threadCount, 1))),
      m_work(std::move(work)), m_stopSignal(stopSignal), m_outcomes(jobCount),
      m_finished(std::max<std::size_t>(threadCount, 1), false)
{
    for (std::size_t worker = 0; worker < m_finished.size(); ++worker)
        m_threads.emplace_back(&CJobWorkers::WorkerLoop, this, worker);
}

CJobWorkers::~CJobWorkers()
{
    Stop();
}

std::size_t CJobWorkers::ThreadsFor(std::size_t jobCount)
{
    const std::size_t processors = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(std::min(processors, jobCount), 1, kMaxThreads);
}

void CJobWorkers::WorkerLoop(std::size_t worker)
{
    for (;;)
    {
        std::size_t job = 0;
        {
            std::unique_lock lock(m_lock);
            while (!Stopping() && m_nextToStart < m_jobCount &&
                   m_nextToStart >= m_nextToTake + m_ahead)
                m_changed.wait_for(lock, kSignalCheck);
            if (Stopping() || m_nextToStart >= m_jobCount)
                break;
            job = m_nextToStart++;
        }
        auto outcome = std::make_unique<JobOutcome>();
        m_work(job, *outcome);
        {
            const std::lock_guard lock(m_lock);
            m_outcomes[job] = std::move(outcome);
        }
        m_changed.notify_all();
    }
    {
        const std::lock_guard lock(m_lock);
        m_finished[worker] = true;
    }
    m_changed.notify_all();
}

std::unique_ptr<JobOutcome> CJobWorkers::TakeNext()
{
    std::unique_lock lock(m_lock);
    if (m_nextToTake >= m_jobCount)
        return nullptr;
    const std::size_t job = m_nextToTake;
    while (!m_outcomes[job])
    {
        if (Stopping())
            return nullptr;
        m_changed.wait_for(lock, kSignalCheck);
    }
    ++m_nextToTake;
    std::unique_ptr<JobOutcome> outcome = std::move(m_outcomes[job]);
    lock.unlock();
    m_changed.notify_all(); // room for another job ahead
    return outcome;
}

void CJobWorkers::Stop()
{
    std::unique_lock lock(m_lock);
    m_stopping = true;
    m_changed.notify_all();
    while (std::find(m_finished.begin(), m_finished.end(), false) != m_finished.end())
    {
        // Again on every round: a worker may have entered its write after
        // the signal before.
        if (m_stopSignal != 0)
            for (std::size_t worker = 0; worker < m_threads.size(); ++worker)
                if (!m_finished[worker])
                    pthread_kill(m_threads[worker].native_handle(), m_stopSignal);
        m_changed.wait_for(lock, kSignalCheck);
    }
    lock.unlock();
    for (std::thread& thread : m_threads)
        if (thread.joinable())
            thread.join();
    // Whatever was done and not taken is dropped here, outputs and all.
    m_outcomes.clear();
}
