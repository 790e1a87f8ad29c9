// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/ComposeHelper.h"

#include <atomic>
#include <system_error>

struct CComposeHelper::Job
{
    const std::function<void(int, std::int32_t)>& work;
    const std::int32_t bands;
    std::atomic<std::int32_t> next{0};

    void Take(int worker)
    {
        for (std::int32_t band = next++; band < bands; band = next++)
            work(worker, band);
    }
};

CComposeHelper::CComposeHelper()
{
    try
    {
        m_thread = std::thread([this] { Serve(); });
    }
    catch (const std::system_error&)
    {
    }
}

CComposeHelper::~CComposeHelper()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_posted.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void CComposeHelper::ShareBands(std::int32_t bands,
                                const std::function<void(int, std::int32_t)>& work)
{
    Job job{work, bands};
    if (m_thread.joinable())
    {
        {
            const std::lock_guard lock(m_mutex);
            m_job = &job;
        }
        m_posted.notify_one();
    }
    job.Take(0);
    // A helper that has not picked the job up yet never will; one that has
    // may still be on its last band.
    std::unique_lock lock(m_mutex);
    m_job = nullptr;
    m_finished.wait(lock, [this] { return !m_busy; });
}

void CComposeHelper::Serve()
{
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        m_posted.wait(lock, [this] { return m_stop || m_job != nullptr; });
        if (m_stop)
            return;
        Job* job = m_job;
        m_job = nullptr;
        m_busy = true;
        lock.unlock();
        job->Take(1);
        lock.lock();
        m_busy = false;
        m_finished.notify_one();
    }
}
