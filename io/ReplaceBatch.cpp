// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ReplaceBatch.h"

#include "io/DescriptorBudget.h"

#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{
// Bounds on what waits: open descriptors, and work a sync has to do at once.
constexpr std::size_t kMaxWaitingFiles = 64;
constexpr std::int64_t kMaxWaitingBytes = 64 << 20;
} // namespace

void CReplaceBatch::Defer(CPendingFile file)
{
    m_waitingBytes += file.Size();
    m_waiting.push_back(std::move(file));
}

void CReplaceBatch::TakeFrom(CReplaceBatch& other)
{
    for (CPendingFile& file : other.m_waiting)
        Defer(std::move(file));
    other.m_waiting.clear();
    other.m_waitingBytes = 0;
}

bool CReplaceBatch::Full() const
{
    // Under a low descriptor limit the batch is finished sooner instead of
    // failing the files it could not open.
    static const std::size_t maxWaitingFiles = FilesThatMayWaitOpen(kMaxWaitingFiles);
    return m_waiting.size() >= maxWaitingFiles || m_waitingBytes >= kMaxWaitingBytes;
}

std::vector<std::size_t> CReplaceBatch::Finish()
{
    // syncfs reports the write-back errors of the whole file system since
    // the descriptor was opened, and the first file of a file system was
    // opened before any other was written; a failure fails them all.
    std::map<dev_t, bool> deviceSynced;
    for (const CPendingFile& file : m_waiting)
        if (deviceSynced.emplace(file.Device(), false).second)
            deviceSynced[file.Device()] = m_syncFileSystem(file.Descriptor()) == 0;

    std::vector<std::size_t> failed;
    for (std::size_t i = 0; i < m_waiting.size(); ++i)
        if (!deviceSynced[m_waiting[i].Device()] || !m_waiting[i].Install(m_rename))
            failed.push_back(i);
    // Once per folder, after all its renames: one sync makes them all durable.
    std::set<std::pair<dev_t, ino_t>> foldersSynced;
    for (const CPendingFile& file : m_waiting)
    {
        struct stat folder
        {
        };
        if (fstat(file.Folder(), &folder) == 0 &&
            foldersSynced.emplace(folder.st_dev, folder.st_ino).second)
            file.SyncFolder();
    }
    m_waiting.clear();
    m_waitingBytes = 0;
    return failed;
}
