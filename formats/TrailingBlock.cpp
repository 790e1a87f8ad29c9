// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/TrailingBlock.h"

#include "formats/FileFailure.h"
#include "formats/SpriteFile.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr std::size_t kCopyBufferBytes = 64 * 1024;

// A descriptor that closes itself. It is opened without waiting, so that
// a FIFO without a writer is refused at once rather than hanging the open;
// only regular files are read, which never wait.
class CReadDescriptor
{
public:
    explicit CReadDescriptor(const char* path)
        : m_fd(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~CReadDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CReadDescriptor(const CReadDescriptor&) = delete;
    CReadDescriptor& operator=(const CReadDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads count bytes at offset, retrying short reads; false at an early end
// (errno 0) or a failure.
bool ReadAt(int fd, std::uint8_t* buffer, std::size_t count, std::int64_t offset)
{
    while (count > 0)
    {
        errno = 0;
        const ssize_t got = ::pread(fd, buffer, count, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        count -= std::size_t(got);
        offset += got;
    }
    return true;
}

Result OpenRegular(const char* path, CReadDescriptor& fd, struct stat& info)
{
    // errno still tells why the descriptor could not be opened.
    if (!path || fd.Get() < 0)
        return FailureFromErrno();
    errno = 0;
    if (::fstat(fd.Get(), &info) != 0)
        return FailureFromErrno();
    if (!S_ISREG(info.st_mode))
        return Failure(Reason::NotRegularFile);
    return {};
}
} // namespace

Result CTrailingBlock::WriteTo(CBinaryFile& file) const
{
    errno = 0;
    if (m_source.empty())
    {
        if (m_bytes.empty() || file.WriteBlock(m_bytes.data(), m_bytes.size()))
            return {};
        return FailureFromErrno();
    }
    CReadDescriptor fd(m_source.c_str());
    struct stat info = {};
    if (Result opened = OpenRegular(m_source.c_str(), fd, info); !opened)
        return opened;
    if (StampOf(info) != m_sourceStamp)
        return Failure(Reason::TrailingSourceChanged);
    std::vector<std::uint8_t> buffer(kCopyBufferBytes);
    for (std::int64_t done = 0; done < m_length;)
    {
        const auto chunk = std::size_t(std::min<std::int64_t>(m_length - done, kCopyBufferBytes));
        if (!ReadAt(fd.Get(), buffer.data(), chunk, m_offset + done))
            return FailureFromErrno(Reason::EndedEarly);
        errno = 0;
        if (!file.WriteBlock(buffer.data(), chunk))
            return FailureFromErrno();
        done += std::int64_t(chunk);
    }
    return {};
}

void CTrailingBlock::Refer(const char* path, std::int64_t length, const FileStamp& file)
{
    m_bytes.clear();
    m_source = path;
    m_offset = kSprSheetBytes;
    m_length = length;
    m_sourceStamp = file;
}

std::optional<FileIdentity> CTrailingBlock::Source() const
{
    if (!IsByReference())
        return std::nullopt;
    return m_sourceStamp.identity;
}

void CTrailingBlock::Rebase(const char* path)
{
    if (!IsByReference())
        return;
    if (const std::optional<FileStamp> stamp = StampOf(path))
        Refer(path, m_length, *stamp);
}

Result CTrailingBlock::Read(const char* path, CTrailingBlock& block, std::int64_t heldLimit)
{
    block = CTrailingBlock();
    CReadDescriptor fd(path ? path : "");
    struct stat info = {};
    if (Result opened = OpenRegular(path, fd, info); !opened)
        return opened;
    const std::int64_t length = std::int64_t(info.st_size) - kSprSheetBytes;
    if (length <= 0)
        return {};

    std::vector<std::uint8_t> bytes;
    try
    {
        if (length <= heldLimit)
            bytes.resize(static_cast<std::size_t>(length));
    }
    catch (const std::bad_alloc&)
    {
    }
    if (bytes.empty())
    {
        block.Refer(path, length, StampOf(info));
        return {};
    }
    if (!ReadAt(fd.Get(), bytes.data(), bytes.size(), kSprSheetBytes))
        return FailureFromErrno(Reason::EndedEarly);
    block.m_bytes = std::move(bytes);
    return {};
}

Result MeasureTrailingBlock(const char* path, std::int64_t& size)
{
    size = 0;
    struct stat info = {};
    errno = 0;
    if (!path || ::stat(path, &info) != 0)
        return FailureFromErrno();
    if (!S_ISREG(info.st_mode))
        return Failure(Reason::NotRegularFile);
    size = std::max<std::int64_t>(0, std::int64_t(info.st_size) - kSprSheetBytes);
    return {};
}
