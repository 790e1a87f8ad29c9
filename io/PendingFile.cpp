// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/PendingFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{
constexpr int kMaxNameAttempts = 100;
constexpr char kTempPrefix[] = ".tavrel-";
constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameSuffixLength = 8;

// Giving an unnamed file a name: through the descriptor itself where the
// process may (AT_EMPTY_PATH wants CAP_DAC_READ_SEARCH), else through /proc.
bool LinkDescriptor(int file, int folder, const std::string& name)
{
    if (linkat(file, "", folder, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    return linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}
} // namespace

std::string TemporaryName()
{
    // One a thread: the converter writes from several.
    thread_local std::minstd_rand generator(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kNameCharacters - 2);
    std::string name = kTempPrefix;
    for (int i = 0; i < kNameSuffixLength; ++i)
        name += kNameCharacters[pick(generator)];
    return name;
}

CPendingFile::CPendingFile(int file, int folder, std::string tempName, std::string targetName,
                           bool targetExisted)
    : m_file(file), m_folder(folder), m_tempName(std::move(tempName)),
      m_targetName(std::move(targetName)), m_targetExisted(targetExisted)
{
    // The file is completely written: what it is no longer changes.
    struct stat info
    {
    };
    if (fstat(m_file, &info) == 0)
    {
        m_device = info.st_dev;
        m_size = info.st_size;
    }
}

CPendingFile::CPendingFile(CPendingFile&& other) noexcept
    : m_file(std::exchange(other.m_file, -1)), m_folder(std::exchange(other.m_folder, -1)),
      m_tempName(std::move(other.m_tempName)), m_targetName(std::move(other.m_targetName)),
      m_targetExisted(other.m_targetExisted), m_device(other.m_device), m_size(other.m_size)
{
    other.m_tempName.clear();
}

CPendingFile::~CPendingFile()
{
    Drop();
}

bool CPendingFile::Sync() const
{
    return fsync(m_file) == 0;
}

bool CPendingFile::Install(RenameAt rename)
{
    if (m_tempName.empty() && !LinkUnnamed())
        return false;
    if (!m_tempName.empty() &&
        rename(m_folder, m_tempName.c_str(), m_folder, m_targetName.c_str()) != 0)
        return false;
    m_tempName.clear();
    close(std::exchange(m_file, -1));
    return true;
}

void CPendingFile::SyncFolder() const
{
    fsync(m_folder);
}

// A target that did not exist takes the file's name directly, with no
// temporary name in between (a link never replaces a name, so one that has
// appeared since is not lost); otherwise the file gets a temporary name to
// be renamed from.
bool CPendingFile::LinkUnnamed()
{
    if (!m_targetExisted && LinkDescriptor(m_file, m_folder, m_targetName))
        return true;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt)
    {
        std::string name = TemporaryName();
        if (LinkDescriptor(m_file, m_folder, name))
        {
            m_tempName = std::move(name);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void CPendingFile::Drop()
{
    if (!m_tempName.empty())
        unlinkat(m_folder, m_tempName.c_str(), 0);
    m_tempName.clear();
    if (m_file >= 0)
        close(std::exchange(m_file, -1));
    if (m_folder >= 0)
        close(std::exchange(m_folder, -1));
}
