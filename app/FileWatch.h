// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/FileIdentity.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// What the file at path is on disk now; nothing when there is none.
std::optional<FileStamp> StampOf(const QString& path);

// Watches one file for writes from outside. A change is told (Settled) only
// once the file has been quiet for the quiet period and differs from what
// the owner last read or wrote (Acknowledge): a writer still writing, and
// the program's own saves, are never told. A save by rename drops the path
// from Qt's watcher; the folder is watched as well, and the path is taken up
// again when it reappears.
class CFileWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int kQuietMs = 200;

    CFileWatch();

    // Watches path (none when empty); its present state counts as read.
    void Watch(const QString& path);
    const QString& Path() const { return m_path; }
    // The file as it is now is what the owner holds.
    void Acknowledge();
    // A read that failed on a file caught half written: tells Settled again
    // after one more quiet period, once for each change; false when that
    // chance was used.
    bool RetryWhenQuiet();

signals:
    void Settled();

private:
    void OnNotified();
    void OnQuiet();

    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    QString m_path;
    std::optional<FileStamp> m_known; // what the owner holds
    std::optional<FileStamp> m_seen;  // at the last look
    bool m_retried = false;
};
