// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/FileReplacer.h"

#include "io/PendingFile.h"
#include "io/ReplaceBatch.h"
#include "io/TargetPath.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace
{
constexpr int kMaxNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask on creation
constexpr mode_t kPermissionBits = 07777;

// Keeps errno across cleanup, so that it still tells why a write failed.
class CKeepErrno
{
public:
    CKeepErrno() : m_saved(errno) {}
    ~CKeepErrno() { errno = m_saved; }
    CKeepErrno(const CKeepErrno&) = delete;
    CKeepErrno& operator=(const CKeepErrno&) = delete;

private:
    int m_saved;
};

// Creates a file of a name nobody else uses in the folder (O_EXCL), with
// `mode` narrowed by the umask as for any new file. Answers the descriptor,
// or -1 with errno set.
int CreateUniqueFile(int folder, mode_t mode, std::string& name)
{
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt)
    {
        name = TemporaryName();
        const int descriptor =
            openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    name.clear();
    errno = EEXIST;
    return -1;
}

// A file system that has no unnamed files says so in one of these ways.
bool LacksUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// A folder that takes no new file may still let its files be rewritten.
// Other failures (a full disk) would make an in-place write destroy the
// old file, so they are not worked around.
bool FolderRefusesNewFiles(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Nothing can be renamed or removed in an append-only folder: a temporary
// file there could neither replace its target nor be cleaned away.
bool IsAppendOnly(int folder)
{
    int flags = 0;
    return ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL) != 0;
}

int OpenInPlace(int folder, const std::string& name)
{
    // O_NONBLOCK keeps the open of a FIFO without a reader from hanging;
    // writes block again afterwards.
    const int descriptor = openat(
        folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
    if (descriptor >= 0)
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

// Best effort on both: only root may give a file to another user, and some
// file systems fix owner and bits themselves. The owner goes first, because
// changing it clears the set-id bits.
void CopyOwnerAndPermissions(int descriptor, const struct stat& original)
{
    const bool ownerKept = fchown(descriptor, original.st_uid, original.st_gid) == 0;
    static_cast<void>(ownerKept);
    fchmod(descriptor, original.st_mode & kPermissionBits);
}

} // namespace

CFileReplacer::CFileReplacer(std::string targetPath, CReplaceBatch* batch)
    : m_targetPath(std::move(targetPath)), m_batch(batch)
{
}

CFileReplacer::~CFileReplacer()
{
    if (!m_committed)
        Abandon();
}

bool CFileReplacer::Begin()
{
    Abandon();
    m_committed = false;
    m_refusedInPlace = false;
    CTargetPath target(m_targetPath);
    if (!target.IsValid())
        return false;
    // Standard output is written where it stands: `>> log` appends, and a
    // pipe gets the bytes.
    if (target.IsStandardOutput())
        return AttachDescriptor(fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
    const int folder = target.Folder();
    const std::string& name = target.Name();
    const bool exists = target.Existing().has_value();
    struct stat info
    {
    };
    if (exists)
        info = *target.Existing();
    if (exists && S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        return false;
    }
    // A file made read-only is refused, as opening it for writing would be:
    // the rename would replace it whatever its permission bits say.
    if (exists && faccessat(folder, name.c_str(), W_OK, 0) != 0)
        return false;
    // Renaming over a device or a pipe would put a plain file in its place.
    if ((exists && !S_ISREG(info.st_mode)) || (exists && IsAppendOnly(folder)))
        return AttachInPlace(folder, name);
    if (!BeginReplacement(folder, exists ? &info : nullptr))
        return FolderRefusesNewFiles(errno) && AttachInPlace(folder, name);
    m_folder = target.ReleaseFolder();
    m_targetName = name;
    m_targetExisted = exists;
    return true;
}

bool CFileReplacer::AttachInPlace(int folder, const std::string& name)
{
    if (m_keepOldFile)
    {
        m_refusedInPlace = true;
        errno = EBUSY;
        return false;
    }
    return AttachDescriptor(OpenInPlace(folder, name));
}

bool CFileReplacer::BeginReplacement(int folder, const struct stat* existing)
{
    int descriptor = openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0 && LacksUnnamedFiles(errno) && !IsAppendOnly(folder))
        descriptor = CreateUniqueFile(folder, kNewFileMode, m_tempName);
    if (descriptor < 0)
        return false;
    if (existing != nullptr)
        CopyOwnerAndPermissions(descriptor, *existing);
    if (!AttachDescriptor(descriptor))
    {
        if (!m_tempName.empty())
            unlinkat(folder, m_tempName.c_str(), 0);
        m_tempName.clear();
        return false;
    }
    m_replacing = true;
    return true;
}

bool CFileReplacer::AttachDescriptor(int descriptor)
{
    if (descriptor < 0)
        return false;
    std::FILE* stream = fdopen(descriptor, "wb");
    if (!stream)
    {
        close(descriptor);
        return false;
    }
    m_buffer.Take();
    if (m_buffer.Get() != nullptr)
        setvbuf(stream, m_buffer.Get(), _IOFBF, CWriteBuffer::kBytes);
    if (!m_file.Attach(stream, 1))
    {
        std::fclose(stream);
        m_buffer.GiveBack();
        return false;
    }
    m_stream = stream;
    return true;
}

bool CFileReplacer::Commit()
{
    if (!m_stream || !m_file.IsOpen())
    {
        Abandon();
        return false;
    }
    // A write that failed inside fwrite may leave nothing for the flush to
    // fail on; only the handle's error flag remembers it.
    bool written = !std::ferror(m_stream) && std::fflush(m_stream) == 0;
    // The pending file keeps a descriptor of its own: an unnamed file exists
    // only while one is open.
    const int kept = written && m_replacing ? fcntl(fileno(m_stream), F_DUPFD_CLOEXEC, 0) : -1;
    written = written && (!m_replacing || kept >= 0) && (m_replacing || m_file.Sync() == 1);
    m_stream = nullptr;
    const bool closed = m_file.Close() == 1;
    m_buffer.GiveBack();
    if (!written || !closed)
    {
        const CKeepErrno keep;
        if (kept >= 0)
            close(kept);
        Abandon();
        return false;
    }
    m_committed = !m_replacing || CommitReplacement(kept);
    return m_committed;
}

bool CFileReplacer::CommitReplacement(int descriptor)
{
    CPendingFile pending(descriptor, std::exchange(m_folder, -1), std::exchange(m_tempName, {}),
                         m_targetName, m_targetExisted);
    m_replacing = false;
    if (m_batch != nullptr)
    {
        m_batch->Defer(std::move(pending));
        return true;
    }
    if (!pending.Sync() || !pending.Install())
        return false;
    pending.SyncFolder();
    return true;
}

void CFileReplacer::Abandon()
{
    const CKeepErrno keep;
    m_stream = nullptr;
    m_file.Close();
    m_buffer.GiveBack();
    if (!m_tempName.empty())
        unlinkat(m_folder, m_tempName.c_str(), 0);
    m_tempName.clear();
    if (m_folder >= 0)
        close(std::exchange(m_folder, -1));
    m_replacing = false;
}
