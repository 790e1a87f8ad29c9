// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/BinaryFile.h"
#include "io/WriteBuffer.h"

#include <string>
#include <sys/stat.h>

class CReplaceBatch;

// Writes a file so that the file it replaces survives any failure: the bytes
// go to a new unnamed file in the target's folder (a named temporary file
// where the file system has no unnamed ones), which is put over the target
// only after everything was written, flushed and closed. The replaced file's
// permission bits are kept, and a symbolic link has the file it points to
// replaced. When the folder allows no new file, or only new files (append
// only), the target is written in place instead (still reporting every
// failure); so is a device, a pipe, and the program's own standard output.
// No temporary file outlives the object, and an unnamed one not even the
// process. After a failure, errno tells why.
class CFileReplacer
{
public:
    // With a batch, Commit leaves the written file to the batch, which puts
    // it in place when it finishes.
    explicit CFileReplacer(std::string targetPath, CReplaceBatch* batch = nullptr);
    CFileReplacer(const CFileReplacer&) = delete;
    CFileReplacer& operator=(const CFileReplacer&) = delete;
    ~CFileReplacer(); // abandons an uncommitted write

    // For a caller that still reads the old file while writing the new one:
    // where the target could only be written in place, which destroys the
    // old file first, Begin refuses instead (RefusedInPlace answers true).
    void KeepOldFileUntilCommit() { m_keepOldFile = true; }
    bool RefusedInPlace() const { return m_refusedInPlace; }

    // Opens the stream to write to; false when no file could be created.
    bool Begin();
    CBinaryFile& File() { return m_file; }
    // Flushes, closes and puts the file in place; false on any failure, in
    // which case the target is as it was (unless written in place). Any
    // write through File() that failed, even one whose result was ignored,
    // makes it fail. The stream must be left open for it to close. With a
    // batch, true means the file waits in the batch, which puts it in place
    // (or reports that it could not) when it finishes.
    bool Commit();

private:
    bool BeginReplacement(int folder, const struct stat* existing);
    bool AttachDescriptor(int descriptor);
    bool AttachInPlace(int folder, const std::string& name);
    bool CommitReplacement(int descriptor);
    void Abandon();

    std::string m_targetPath; // as given
    // While replacing: the folder, the target's name in it, and the
    // temporary file's name (empty for an unnamed file).
    int m_folder = -1;
    std::string m_targetName;
    std::string m_tempName;
    bool m_targetExisted = false;
    bool m_replacing = false;
    CReplaceBatch* m_batch = nullptr;
    CWriteBuffer m_buffer; // declared before the stream, which writes into it until closed
    CBinaryFile m_file;
    std::FILE* m_stream = nullptr; // m_file's handle, kept for its error flag
    bool m_committed = false;
    bool m_keepOldFile = false;
    bool m_refusedInPlace = false;
};
