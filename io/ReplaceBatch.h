// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/PendingFile.h"

#include <cstddef>
#include <cstdint>
#include <unistd.h>
#include <vector>

// Lets many safe replacements share the cost of making them durable. While a
// batch is open, CFileReplacer::Commit writes and flushes its new file as
// usual but leaves it waiting, unnamed where the file system allows, instead
// of syncing it and putting it in place. Finish then syncs each file system
// once and only after that puts each file over its target. Every old file is
// kept until its replacement is safely on disk, exactly as one replacement
// at a time does; only the syncing (a few milliseconds per file on a real
// disk) is shared. A waiting file holds a descriptor open, so the caller
// finishes the batch whenever it is Full. The caller holds the batch and
// hands it to each CFileReplacer that is to join it.
class CReplaceBatch
{
public:
    // How a file system is synced through one of its descriptors: 0, or -1
    // with errno set, as syncfs answers.
    using FileSystemSync = int (*)(int descriptor);

    CReplaceBatch() = default;
    CReplaceBatch(const CReplaceBatch&) = delete;
    CReplaceBatch& operator=(const CReplaceBatch&) = delete;
    // Drops every file not finished: no target changes, no file remains.
    ~CReplaceBatch() = default;

    // Takes over a written file that is to replace its target.
    void Defer(CPendingFile file);
    // Takes over every file waiting in other, in their order, after those
    // waiting here: a file written on another thread joins the batch that
    // puts it in place.
    void TakeFrom(CReplaceBatch& other);
    // How many files wait; a file's position is this count before its Defer.
    std::size_t Waiting() const { return m_waiting.size(); }
    // True when enough files or bytes wait that they should be finished now.
    bool Full() const;

    // Syncs, then puts every waiting file in place. Answers the positions of
    // those that could not be: their targets are as they were. The batch is
    // empty afterwards and may take more files.
    std::vector<std::size_t> Finish();

    // syncfs unless a test needs a disk whose write-back fails.
    void SetFileSystemSync(FileSystemSync sync) { m_syncFileSystem = sync; }
    // renameat unless a test needs a rename that fails.
    void SetRename(CPendingFile::RenameAt rename) { m_rename = rename; }

private:
    std::vector<CPendingFile> m_waiting;
    std::int64_t m_waitingBytes = 0;
    FileSystemSync m_syncFileSystem = ::syncfs;
    CPendingFile::RenameAt m_rename = ::renameat;
};
