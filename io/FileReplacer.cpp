#include "io/FileReplacer.h"

#include "io/ReplaceBatch.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{
constexpr int kMaxLinkHops = 40; // the kernel's own limit on a chain of links
constexpr int kMaxNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask on creation
constexpr mode_t kPermissionBits = 07777;
constexpr char kTempPrefix[] = "/.tavrel-";
constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameSuffixLength = 8;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The text of a symbolic link; empty when it cannot be read.
std::string ReadLink(const std::string& path)
{
    std::string target(PATH_MAX, '\0');
    for (;;)
    {
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < target.size())
        {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Follows symbolic links to the path they finally name, which need not
// exist yet (a dangling link names the file to create). Empty on a loop or
// an unreadable link.
std::string ResolveLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop)
    {
        struct stat info
        {
        };
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        const std::string target = ReadLink(path);
        if (target.empty())
            return {};
        path = target.front() == '/' ? target : JoinPath(FolderOf(path), target);
    }
    return {};
}

std::string RandomName()
{
    static std::minstd_rand generator(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kNameCharacters - 2);
    std::string name;
    for (int i = 0; i < kNameSuffixLength; ++i)
        name += kNameCharacters[pick(generator)];
    return name;
}

// Creates a file of a name nobody else uses in the folder (O_EXCL), with
// `mode` narrowed by the umask as for any new file. Answers the descriptor,
// or -1 with errno set.
int CreateUniqueFile(const std::string& folder, mode_t mode, std::string& path)
{
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt)
    {
        path = folder + kTempPrefix + RandomName();
        const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    errno = EEXIST;
    return -1;
}

// A folder that takes no new file may still let its files be rewritten.
// Other failures (a full disk) would make an in-place write destroy the
// old file, so they are not worked around.
bool FolderRefusesNewFiles(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

int OpenInPlace(const std::string& path)
{
    // O_NONBLOCK keeps the open of a FIFO without a reader from hanging;
    // writes block again afterwards.
    const int descriptor =
        open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
    if (descriptor >= 0)
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

// Makes the rename itself durable. The new file is in place whatever this
// answers, so a failure here is not reported as a failed save.
void SyncFolder(const std::string& folder)
{
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
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
    : m_targetPath(ResolveLinks(std::move(targetPath))), m_batch(batch)
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
    if (m_targetPath.empty())
        return false;
    struct stat info
    {
    };
    const bool exists = stat(m_targetPath.c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists && S_ISDIR(info.st_mode))
        return false;
    // A file made read-only is refused, as opening it for writing would be:
    // the rename would replace it whatever its permission bits say.
    if (exists && access(m_targetPath.c_str(), W_OK) != 0)
        return false;
    // Renaming over a device or a pipe would put a plain file in its place.
    if (exists && !S_ISREG(info.st_mode))
        return AttachDescriptor(OpenInPlace(m_targetPath));

    std::string tempPath;
    const int descriptor = CreateUniqueFile(FolderOf(m_targetPath), kNewFileMode, tempPath);
    if (descriptor < 0)
        return FolderRefusesNewFiles(errno) && AttachDescriptor(OpenInPlace(m_targetPath));
    m_tempPath = tempPath;
    if (exists)
        CopyOwnerAndPermissions(descriptor, info);
    return AttachDescriptor(descriptor);
}

bool CFileReplacer::AttachDescriptor(int descriptor)
{
    if (descriptor < 0)
        return false;
    std::FILE* stream = fdopen(descriptor, "wb");
    if (!stream)
        close(descriptor);
    else if (!m_file.Attach(stream, 1))
        std::fclose(stream);
    else
    {
        m_stream = stream;
        return true;
    }
    Abandon();
    return false;
}

bool CFileReplacer::Commit()
{
    if (!m_stream || !m_file.IsOpen())
    {
        Abandon();
        return false;
    }
    // A write that failed inside fwrite may leave nothing for the flush to
    // fail on; only the handle's error flag remembers it. A batch syncs the
    // file later, before it renames it; closing still flushes and reports.
    CReplaceBatch* batch = m_tempPath.empty() ? nullptr : m_batch;
    const bool written = !std::ferror(m_stream) && (batch != nullptr || m_file.Sync() == 1);
    m_stream = nullptr;
    const bool closed = m_file.Close() == 1;
    if (!written || !closed)
    {
        Abandon();
        return false;
    }
    if (batch != nullptr)
    {
        batch->Defer(m_tempPath, m_targetPath);
        m_tempPath.clear();
    }
    else if (!m_tempPath.empty())
    {
        if (std::rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0)
        {
            Abandon();
            return false;
        }
        m_tempPath.clear();
        SyncFolder(FolderOf(m_targetPath));
    }
    m_committed = true;
    return true;
}

void CFileReplacer::Abandon()
{
    m_stream = nullptr;
    m_file.Close();
    if (!m_tempPath.empty())
    {
        unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}
