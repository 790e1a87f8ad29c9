// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/types.h>

// A new file, completely written, that waits to be put in place of its
// target. It is either unnamed (O_TMPFILE: it vanishes with its descriptor,
// even when the process is killed) or, where the file system cannot make
// unnamed files, a temporary file beside the target. Whatever becomes of the
// object, no temporary name outlives it.
class CPendingFile
{
public:
    // Takes over both descriptors. tempName is empty for an unnamed file;
    // targetExisted tells that there is a file to replace, not a name to
    // take.
    CPendingFile(int file, int folder, std::string tempName, std::string targetName,
                 bool targetExisted = false);
    CPendingFile(CPendingFile&& other) noexcept;
    CPendingFile& operator=(CPendingFile&&) = delete;
    CPendingFile(const CPendingFile&) = delete;
    CPendingFile& operator=(const CPendingFile&) = delete;
    ~CPendingFile(); // drops the file unless it was put in place

    int Descriptor() const { return m_file; }
    dev_t Device() const { return m_device; }
    std::int64_t Size() const { return m_size; }
    // Pushes the file's bytes to the disk, through the descriptor it was
    // written with (which may well be write-only).
    bool Sync() const;
    // Renames the file over its target (an unnamed one is given a name
    // first); false, with the target as it was, when that fails. The rename
    // is renameat unless a test needs one that fails.
    using RenameAt = int (*)(int fromFolder, const char* from, int toFolder, const char* to);
    bool Install(RenameAt rename = ::renameat);
    // Makes what Install did durable. The new file is in place whatever this
    // answers, so a failure here fails nothing; a batch does it once per
    // folder.
    void SyncFolder() const;
    int Folder() const { return m_folder; }

private:
    bool LinkUnnamed();
    void Drop();

    int m_file;
    int m_folder;
    std::string m_tempName;
    std::string m_targetName;
    bool m_targetExisted;
    dev_t m_device = 0;
    std::int64_t m_size = 0;
};

// A name for a temporary file beside a target; a random part keeps two runs
// apart.
std::string TemporaryName();
