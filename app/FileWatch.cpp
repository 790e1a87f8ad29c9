// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileWatch.h"

#include <QFile>
#include <QFileInfo>

std::optional<FileStamp> StampOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return StampOf(QFile::encodeName(path).constData());
}

CFileWatch::CFileWatch()
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { OnQuiet(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { OnNotified(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { OnNotified(); });
}

void CFileWatch::Watch(const QString& path)
{
    m_quiet.stop();
    for (const QStringList& watched : {m_watcher.files(), m_watcher.directories()})
        if (!watched.isEmpty())
            m_watcher.removePaths(watched);
    m_path = path;
    if (!path.isEmpty())
    {
        m_watcher.addPath(QFileInfo(path).absolutePath());
        if (QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
    Acknowledge();
}

void CFileWatch::Acknowledge()
{
    m_known = m_seen = StampOf(m_path);
    m_retried = false;
}

bool CFileWatch::RetryWhenQuiet()
{
    if (m_retried)
        return false;
    m_retried = true;
    m_quiet.start();
    return true;
}

void CFileWatch::OnNotified()
{
    if (m_path.isEmpty())
        return;
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
    const std::optional<FileStamp> now = StampOf(m_path);
    if (now == m_seen && !m_quiet.isActive())
        return; // another file of the folder
    m_seen = now;
    m_retried = false;
    m_quiet.start();
}

void CFileWatch::OnQuiet()
{
    const std::optional<FileStamp> now = StampOf(m_path);
    if (now != m_seen)
    {
        // Still being written: wait until it has been quiet.
        m_seen = now;
        m_quiet.start();
        return;
    }
    if (now && (now != m_known || m_retried))
        emit Settled();
}
