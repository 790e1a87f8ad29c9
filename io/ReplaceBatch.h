#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Lets many safe replacements share the cost of making them durable. While a
// batch is open, CFileReplacer::Commit writes, flushes and closes its
// temporary file as usual but leaves it beside its target instead of syncing
// and renaming it. Finish then syncs the file systems once and only after
// that renames each file over its target. Every old file is kept until its
// replacement is safely on disk, exactly as one replacement at a time does;
// only the syncing (a few milliseconds per file on a real disk) is shared.
// The caller holds the batch and hands it to each CFileReplacer that is to
// join it.
class CReplaceBatch
{
public:
    CReplaceBatch() = default;
    CReplaceBatch(const CReplaceBatch&) = delete;
    CReplaceBatch& operator=(const CReplaceBatch&) = delete;
    // Removes the temporary files of anything not finished: no target changes.
    ~CReplaceBatch();

    // Takes over a written, closed temporary file that is to replace target.
    void Defer(const std::string& tempPath, const std::string& targetPath);
    // How many files wait; a file's position is this count before its Defer.
    std::size_t Waiting() const { return m_waiting.size(); }

    // Syncs, then puts every waiting file in place. Answers the positions of
    // those that could not be: their targets are as they were. The batch is
    // empty afterwards and may take more files.
    std::vector<std::size_t> Finish();

private:
    struct WaitingFile
    {
        std::string tempPath;
        std::string targetPath;
        std::size_t folder; // index into m_folders
    };
    struct Folder
    {
        std::string path;
        int descriptor; // open from the first Defer on, so that the sync
                        // reports write-back errors since then; -1 if refused
    };

    std::size_t FolderIndex(const std::string& folder);
    void CloseFolders();

    std::vector<WaitingFile> m_waiting;
    std::vector<Folder> m_folders;
};
