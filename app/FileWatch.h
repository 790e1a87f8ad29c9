// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/FileIdentity.h"

#include <QElapsedTimer>
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
// again when it reappears. A file that is gone once quiet is told once
// (Vanished).
class CFileWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int kQuietMs = 200;
    // How long a file that ends early must stay as it is before it counts
    // as cut short rather than still being written.
    static constexpr int kIncompleteMs = 2000;

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
    // A read that found the file ending early: tells Settled again once the
    // file has stayed unchanged for kIncompleteMs (or as soon as it changes);
    // false when it already has, and the file is cut short for good.
    bool RetryWhenStill();

signals:
    void Settled();
    void Vanished();

private:
    void OnNotified();
    void OnQuiet();
    void Changed();

    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    QTimer m_patience; // RetryWhenStill's wait
    QElapsedTimer m_sinceChange;
    QString m_path;
    std::optional<FileStamp> m_known; // what the owner holds
    std::optional<FileStamp> m_seen;  // at the last look
    bool m_retried = false;
};
