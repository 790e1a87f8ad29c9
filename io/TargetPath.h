// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/FileIdentity.h"

#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// A path to write, resolved once: its symbolic links followed (a dangling
// link names the file to create), then held as an open folder and a name in
// it. Everything done to the file afterwards is relative to that folder, so
// it stays the same folder whatever happens to the path's spelling, and
// paths longer than the system allows as a whole still work.
class CTargetPath
{
public:
    explicit CTargetPath(const std::string& path);
    CTargetPath(const CTargetPath&) = delete;
    CTargetPath& operator=(const CTargetPath&) = delete;
    ~CTargetPath();

    // False when the folder cannot be opened, a link cannot be read or
    // links loop.
    bool IsValid() const { return m_folder >= 0 && !m_name.empty(); }
    // The program's own standard output, under whatever name (/dev/stdout,
    // /proc/self/fd/1, or the file it was redirected to): it is written
    // through that descriptor, never replaced.
    bool IsStandardOutput() const { return m_standardOutput; }
    int Folder() const { return m_folder; }
    const std::string& Name() const { return m_name; }
    // What the name was when the path was resolved (never a link); nothing
    // when no such file existed.
    const std::optional<struct stat>& Existing() const { return m_existing; }
    // Hands the folder descriptor over; the object no longer closes it.
    int ReleaseFolder();

private:
    int m_folder = -1; // O_RDONLY where allowed (to sync it), else O_PATH
    std::string m_name;
    std::optional<struct stat> m_existing;
    bool m_standardOutput = false;
};

// What a path to write names once links are followed as the writer follows
// them: the file itself when it exists, else the folder it would be created
// in and the name there.
std::optional<FileIdentity> IdentifyFile(const std::string& path);
