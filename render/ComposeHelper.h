// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// A second thread for composing large views. Whoever paints keeps one for
// as long as it paints, so no thread is started per paint.
class CComposeHelper
{
public:
    // Without a thread to be had, the caller does all the work alone.
    CComposeHelper();
    CComposeHelper(const CComposeHelper&) = delete;
    CComposeHelper& operator=(const CComposeHelper&) = delete;
    ~CComposeHelper();

    // Calls work(worker, band) once for each band in [0, bands), on the
    // calling thread (worker 0) and the helper's (worker 1), each taking the
    // next band left; returns when all have run. The caller never waits for
    // a helper that has not started yet: it takes every band left itself.
    void ShareBands(std::int32_t bands, const std::function<void(int, std::int32_t)>& work);

private:
    struct Job;

    void Serve();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::condition_variable m_finished;
    Job* m_job = nullptr;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};
