// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/ReplaceBatch.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What converting one input left: why it failed (empty when it did not),
// and its output, written and waiting to be put in place.
struct JobOutcome
{
    std::string failure;
    CReplaceBatch outputs;
};

// Converts a run's inputs on worker threads, up to a chunk of the batch
// ahead of the one whose outcome is awaited, and hands the outcomes back in
// the inputs' order, so that what is reported and put in place is as if one
// file came after the other. Every outcome not taken is dropped: its
// outputs never replace anything.
class CJobWorkers
{
public:
    using Work = std::function<void(std::size_t job, JobOutcome& outcome)>;

    // stopSignal: set by the program's signal handler; once it is, no job
    // starts and the workers are stopped.
    CJobWorkers(std::size_t jobCount, std::size_t threadCount, Work work,
                const std::atomic<int>& stopSignal);
    CJobWorkers(const CJobWorkers&) = delete;
    CJobWorkers& operator=(const CJobWorkers&) = delete;
    ~CJobWorkers(); // Stop()

    // The outcome of the job after the last one taken, once it is done;
    // null when a stop signal came first.
    std::unique_ptr<JobOutcome> TakeNext();
    // Starts no more jobs and waits for the workers. A worker blocked in a
    // write (to a pipe nobody reads) is sent the stop signal, which cuts
    // the write short as it would on a single thread.
    void Stop();

    // As many workers as the machine has processors, for a run of jobCount.
    static std::size_t ThreadsFor(std::size_t jobCount);

private:
    void WorkerLoop(std::size_t worker);
    bool Stopping() const { return m_stopping || m_stopSignal != 0; }

    const std::size_t m_jobCount;
    const std::size_t m_ahead; // how far past the awaited job workers may go
    Work m_work;
    const std::atomic<int>& m_stopSignal;

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<JobOutcome>> m_outcomes; // by job, until taken
    std::size_t m_nextToStart = 0;
    std::size_t m_nextToTake = 0;
    std::vector<bool> m_finished; // by worker
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
