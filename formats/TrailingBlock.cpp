#include "formats/TrailingBlock.h"

#include "formats/FileFailure.h"
#include "formats/SpriteFile.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include <sys/stat.h>

namespace
{
constexpr int kSeekFromStart = 0;
constexpr int kSeekFromEnd = 2;
} // namespace

Result CTrailingBlock::WriteTo(CBinaryFile& file) const
{
    errno = 0;
    if (m_bytes.empty() || file.WriteBlock(m_bytes.data(), m_bytes.size()))
        return {};
    return FailureFromErrno();
}

Result CTrailingBlock::Read(const char* path, CTrailingBlock& block)
{
    block.m_bytes.clear();
    CBinaryFile file;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    if (!file.Seek(kSprSheetBytes, kSeekFromStart))
        return {};
    const std::int32_t start = file.Tell();
    file.Seek(0, kSeekFromEnd);
    const std::int32_t end = file.Tell();
    file.Seek(start, kSeekFromStart);
    if (start < 0 || end < 0)
        return Failure(Reason::TooLargeToMeasure);
    if (end <= start)
        return {};

    std::vector<std::uint8_t> bytes;
    try
    {
        bytes.resize(static_cast<std::size_t>(end - start));
    }
    catch (const std::bad_alloc&)
    {
        return Failure(Reason::OutOfMemory);
    }
    errno = 0;
    if (!file.ReadBlock(bytes.data(), bytes.size()))
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
