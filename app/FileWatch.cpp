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
    m_patience.setSingleShot(true);
    connect(&m_patience, &QTimer::timeout, this,
            [this]
            {
                m_retried = true;
                OnQuiet();
            });
    m_sinceChange.start();
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { OnNotified(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { OnNotified(); });
}

void CFileWatch::Watch(const QString& path)
{
    m_quiet.stop();
    m_patience.stop();
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

bool CFileWatch::RetryWhenStill()
{
    const qint64 still = m_sinceChange.elapsed();
    if (still >= kIncompleteMs)
        return false;
    m_patience.start(int(kIncompleteMs - still));
    return true;
}

void CFileWatch::Changed()
{
    m_sinceChange.restart();
    m_patience.stop();
    m_retried = false;
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
    Changed();
    m_quiet.start();
}

void CFileWatch::OnQuiet()
{
    const std::optional<FileStamp> now = StampOf(m_path);
    if (now != m_seen)
    {
        // Still being written: wait until it has been quiet.
        m_seen = now;
        m_sinceChange.restart();
        m_quiet.start();
        return;
    }
    if (!now && m_known)
    {
        m_known = now;
        emit Vanished();
        return;
    }
    if (now && (now != m_known || m_retried))
        emit Settled();
}
