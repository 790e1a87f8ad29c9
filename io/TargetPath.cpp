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

// The text of a symbolic link; nothing when the name is no link.
std::optional<std::string> ReadLinkAt(int folder, const std::string& name, bool& failed)
{
    std::string target(PATH_MAX, '\0');
    for (;;)
    {
        const ssize_t length = readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0)
        {
            failed = errno != EINVAL && errno != ENOENT;
            return std::nullopt;
        }
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

bool NamesStandardOutput(int folder, const std::string& name)
{
    struct stat named
    {
    };
    struct stat output
    {
    };
    return fstat(STDOUT_FILENO, &output) == 0 && fstatat(folder, name.c_str(), &named, 0) == 0 &&
           IsSameFile(named, output);
}
} // namespace

CTargetPath::CTargetPath(const std::string& path)
    : m_folder(OpenFolder(AT_FDCWD, FolderPart(path))), m_name(NamePart(path))
{
    if (m_folder < 0)
        return;
    // Checked before the links are followed: /proc/self/fd/1 links to names
    // like "pipe:[1234]" that no folder holds.
    m_standardOutput = NamesStandardOutput(m_folder, m_name);
    for (int hop = 0; hop < kMaxLinkHops && !m_standardOutput; ++hop)
    {
        bool failed = false;
        const std::optional<std::string> link = ReadLinkAt(m_folder, m_name, failed);
        if (!link)
        {
            if (failed)
                m_name.clear();
            return;
        }
        const int next = OpenFolder(m_folder, FolderPart(*link));
        close(m_folder);
        m_folder = next;
        m_name = NamePart(*link);
        if (m_folder < 0)
            return;
    }
    if (!m_standardOutput)
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
    const CTargetPath target(path);
    if (!target.IsValid())
        return std::nullopt;
    struct stat info
    {
    };
    if (fstatat(target.Folder(), target.Name().c_str(), &info, 0) == 0)
        return FileIdentity{info.st_dev, info.st_ino, {}};
    if (errno != ENOENT || fstat(target.Folder(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, target.Name()};
}
