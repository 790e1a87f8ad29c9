#include "io/ReplaceBatch.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace
{
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// One file on its own, for a folder that cannot be opened to sync its file
// system as a whole.
bool SyncFile(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced;
}
} // namespace

CReplaceBatch::~CReplaceBatch()
{
    for (const WaitingFile& file : m_waiting)
        unlink(file.tempPath.c_str());
    CloseFolders();
}

std::size_t CReplaceBatch::FolderIndex(const std::string& folder)
{
    for (std::size_t i = 0; i < m_folders.size(); ++i)
        if (m_folders[i].path == folder)
            return i;
    m_folders.push_back({folder, open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)});
    return m_folders.size() - 1;
}

void CReplaceBatch::Defer(const std::string& tempPath, const std::string& targetPath)
{
    m_waiting.push_back({tempPath, targetPath, FolderIndex(FolderOf(targetPath))});
}

std::vector<std::size_t> CReplaceBatch::Finish()
{
    // syncfs reports the write-back errors of the whole file system since the
    // descriptor was opened, so a failure fails every file of that folder.
    std::vector<bool> folderSynced;
    for (const Folder& folder : m_folders)
        folderSynced.push_back(folder.descriptor >= 0 && syncfs(folder.descriptor) == 0);

    std::vector<std::size_t> failed;
    for (std::size_t i = 0; i < m_waiting.size(); ++i)
    {
        const WaitingFile& file = m_waiting[i];
        const bool durable = m_folders[file.folder].descriptor >= 0 ? folderSynced[file.folder]
                                                                    : SyncFile(file.tempPath);
        if (!durable || std::rename(file.tempPath.c_str(), file.targetPath.c_str()) != 0)
        {
            unlink(file.tempPath.c_str());
            failed.push_back(i);
        }
    }
    m_waiting.clear();
    // The renames themselves become durable; they have happened whatever this
    // answers, so it fails nothing.
    for (const Folder& folder : m_folders)
        if (folder.descriptor >= 0)
            fsync(folder.descriptor);
    CloseFolders();
    return failed;
}

void CReplaceBatch::CloseFolders()
{
    for (const Folder& folder : m_folders)
        if (folder.descriptor >= 0)
            close(folder.descriptor);
    m_folders.clear();
}
