// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/TargetPath.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int kMaxLinkHops = 40; // the kernel's own limit on a chain of links

std::string FolderPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// A folder that may be listed is opened for reading, so that it can be
// synced; one that may only be passed through is still usable for names.
int OpenFolder(int base, const std::string& path)
{
    const int folder = openat(base, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0 || errno != EACCES)
        return folder;
    return openat(base, path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// The text of a symbolic link; nothing when it cannot be read.
std::optional<std::string> ReadLinkAt(int folder, const std::string& name)
{
    std::string target(PATH_MAX, '\0');
    for (;;)
    {
        const ssize_t length = readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(length) < target.size())
        {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

bool IsSameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Standard output is the same file for the whole run: it is looked at once.
const std::optional<struct stat>& StandardOutputInfo()
{
    static const std::optional<struct stat> output = []() -> std::optional<struct stat>
    {
        struct stat info
        {
        };
        if (fstat(STDOUT_FILENO, &info) != 0)
            return std::nullopt;
        return info;
    }();
    return output;
}

bool IsStandardOutputFile(const struct stat& info)
{
    const std::optional<struct stat>& output = StandardOutputInfo();
    return output && IsSameFile(info, *output);
}

// A link is followed to see whether it leads to standard output.
bool LinkNamesStandardOutput(int folder, const std::string& name)
{
    struct stat named
    {
    };
    return fstatat(folder, name.c_str(), &named, 0) == 0 && IsStandardOutputFile(named);
}
} // namespace

CTargetPath::CTargetPath(const std::string& path)
    : m_folder(OpenFolder(AT_FDCWD, FolderPart(path))), m_name(NamePart(path))
{
    // One look at each name on the way: most are plain files, which need no
    // more than that.
    for (int hop = 0; hop < kMaxLinkHops && m_folder >= 0; ++hop)
    {
        struct stat info
        {
        };
        if (fstatat(m_folder, m_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        {
            if (errno != ENOENT)
                m_name.clear();
            return;
        }
        if (!S_ISLNK(info.st_mode))
        {
            m_existing = info;
            m_standardOutput = IsStandardOutputFile(info);
            return;
        }
        // Checked before the link is followed: /proc/self/fd/1 links to
        // names like "pipe:[1234]" that no folder holds.
        m_standardOutput = LinkNamesStandardOutput(m_folder, m_name);
        if (m_standardOutput)
            return;
        const std::optional<std::string> link = ReadLinkAt(m_folder, m_name);
        if (!link)
        {
            m_name.clear();
            return;
        }
        const int next = OpenFolder(m_folder, FolderPart(*link));
        close(m_folder);
        m_folder = next;
        m_name = NamePart(*link);
    }
    if (m_folder >= 0)
        m_name.clear(); // a loop of links
}

CTargetPath::~CTargetPath()
{
    if (m_folder >= 0)
        close(m_folder);
}

int CTargetPath::ReleaseFolder()
{
    const int folder = m_folder;
    m_folder = -1;
    return folder;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path)
{
    // A file that is there and no link is known by one look; a name that is
    // not there (not even as a link) by a look at its folder.
    struct stat info
    {
    };
    if (fstatat(AT_FDCWD, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
    {
        if (!S_ISLNK(info.st_mode))
            return FileIdentity{info.st_dev, info.st_ino, {}};
    }
    else if (errno == ENOENT)
    {
        if (fstatat(AT_FDCWD, FolderPart(path).c_str(), &info, 0) != 0 || !S_ISDIR(info.st_mode))
            return std::nullopt;
        return FileIdentity{info.st_dev, info.st_ino, NamePart(path)};
    }
    const CTargetPath target(path);
    if (!target.IsValid())
        return std::nullopt;
    if (const std::optional<struct stat>& existing = target.Existing())
        return FileIdentity{existing->st_dev, existing->st_ino, {}};
    if (fstat(target.Folder(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, target.Name()};
}
