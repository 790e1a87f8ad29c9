#pragma once

#include "io/BinaryFile.h"

#include <string>

class CReplaceBatch;

// Writes a file so that the file it replaces survives any failure: the bytes
// go to a new temporary file in the target's folder, which is renamed over
// the target only after everything was written, flushed and closed. The
// replaced file's permission bits are kept, and a symbolic link has the file
// it points to replaced. When the folder allows no new file, the target is
// written in place instead (still reporting every failure). No temporary
// file outlives the object.
class CFileReplacer
{
public:
    // With a batch, Commit leaves the written file to the batch, which puts
    // it in place when it finishes.
    explicit CFileReplacer(std::string targetPath, CReplaceBatch* batch = nullptr);
    CFileReplacer(const CFileReplacer&) = delete;
    CFileReplacer& operator=(const CFileReplacer&) = delete;
    ~CFileReplacer(); // abandons an uncommitted write

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
    bool AttachDescriptor(int descriptor);
    void Abandon();

    std::string m_targetPath; // the path after following symbolic links
    std::string m_tempPath;   // empty when writing in place
    CReplaceBatch* m_batch = nullptr;
    CBinaryFile m_file;
    std::FILE* m_stream = nullptr; // m_file's handle, kept for its error flag
    bool m_committed = false;
};
