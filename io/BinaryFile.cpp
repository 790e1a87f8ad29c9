// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool ModeReads(const char* mode)
{
    return mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

// Small files are read whole at once into a buffer of their size; larger
// ones through a buffer of this size.
constexpr std::int64_t kMaxReadBufferBytes = 1 << 20;

// Reading goes through open(2) first so that a FIFO or a device can be
// refused before it blocks or feeds endless bytes; only regular files read.
std::FILE* OpenRegularForReading(const char* fileName, const char* mode, std::int64_t& size)
{
    const int fd = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return nullptr;
    }
    // Back to blocking reads now that the file is known to be regular; no
    // other status flag was asked for.
    ::fcntl(fd, F_SETFL, 0);
    std::FILE* file = ::fdopen(fd, mode);
    if (file == nullptr)
        ::close(fd);
    size = info.st_size;
    return file;
}

} // namespace

int CBinaryFile::Open(const char* fileName, const char* mode, int closeOnDestroy)
{
    std::FILE* file = nullptr;
    std::int64_t size = -1;
    if (fileName != nullptr && mode != nullptr && m_file == nullptr)
        file = ModeReads(mode) ? OpenRegularForReading(fileName, mode, size)
                               : std::fopen(fileName, mode);
    if (!Attach(file, closeOnDestroy))
        return 0;
    // The buffer is freed when the stream is closed, so only a stream this
    // object closes gets one.
    if (size >= 0 && closeOnDestroy)
    {
        // One byte more than the file, so that the read that finds its end
        // is the same one.
        const auto bytes = std::size_t(std::min(size + 1, kMaxReadBufferBytes));
        m_readBuffer.reset(new (std::nothrow) char[bytes]);
        if (m_readBuffer)
            std::setvbuf(m_file, m_readBuffer.get(), _IOFBF, bytes);
    }
    return 1;
}

int CBinaryFile::Attach(std::FILE* file, int closeOnDestroy)
{
    if (file == nullptr || m_file != nullptr)
    {
        m_status = StatusOpenFailed;
        return 0;
    }
    m_file = file;
    m_status = StatusOk;
    m_closeOnDestroy = closeOnDestroy;
    return 1;
}

int CBinaryFile::Sync()
{
    if (!RequireOpen())
        return 0;
    if (std::fflush(m_file) != 0)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    // Devices and pipes cannot be synced; that is no failure of the data.
    if (::fsync(::fileno(m_file)) != 0 && errno != EINVAL && errno != EROFS)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    m_status = StatusOk;
    return 1;
}

CBinaryFile::~CBinaryFile()
{
    if (m_closeOnDestroy)
        Close();
}

int CBinaryFile::IsOpen() const
{
    return m_file != nullptr ? 1 : 0;
}

int CBinaryFile::GetChar()
{
    const int character = std::fgetc(m_file);
    return character == EOF ? -1 : character;
}

std::size_t CBinaryFile::PeekStart(void* buffer, std::size_t count)
{
    if (!RequireOpen())
        return 0;
    // pread leaves the stream alone. A stream in memory has no descriptor:
    // it is read and put back, which costs nothing there.
    const int descriptor = ::fileno(m_file);
    if (descriptor >= 0)
        if (const ssize_t read = ::pread(descriptor, buffer, count, 0); read >= 0)
            return std::size_t(read);
    const long position = std::ftell(m_file);
    if (position < 0 || std::fseek(m_file, 0, SEEK_SET) != 0)
        return 0;
    const std::size_t read = fread_unlocked(buffer, 1, count, m_file);
    return std::fseek(m_file, position, SEEK_SET) == 0 ? read : 0;
}

// A stream belongs to one thread, so the handle's lock is not taken. Single
// bytes, the sprite formats' unit, skip the general block path as well.
std::size_t CBinaryFile::ReadRaw(void* buffer, std::size_t count)
{
    if (count != 1)
        return fread_unlocked(buffer, 1, count, m_file);
    const int byte = getc_unlocked(m_file);
    if (byte == EOF)
        return 0;
    *static_cast<std::uint8_t*>(buffer) = static_cast<std::uint8_t>(byte);
    return 1;
}

std::size_t CBinaryFile::WriteRaw(const void* buffer, std::size_t count)
{
    if (count != 1)
        return fwrite_unlocked(buffer, 1, count, m_file);
    return putc_unlocked(*static_cast<const std::uint8_t*>(buffer), m_file) == EOF ? 0 : 1;
}

std::int32_t CBinaryFile::Tell()
{
    if (!RequireOpen())
        return 0;
    const long offset = std::ftell(m_file);
    if (offset < 0)
    {
        m_status = StatusEndOfFile;
        return static_cast<std::int32_t>(offset);
    }
    // An offset the 32-bit answer cannot hold is a failure, not a wrapped
    // number that looks like a position.
    if (offset > INT32_MAX)
    {
        m_status = StatusEndOfFile;
        return -1;
    }
    m_status = StatusOk;
    return static_cast<std::int32_t>(offset);
}

int CBinaryFile::Seek(std::int32_t offset, int origin)
{
    if (!RequireOpen())
        return 0;
    static constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2 || std::fseek(m_file, offset, kOrigins[origin]) != 0)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    m_status = StatusOk;
    return 1;
}

int CBinaryFile::Close()
{
    int closedCleanly = 1;
    if (m_file != nullptr)
    {
        closedCleanly = std::fclose(m_file) == 0 ? 1 : 0;
        m_file = nullptr;
    }
    m_readBuffer.reset();
    m_status = StatusOk;
    return closedCleanly;
}

std::int64_t CBinaryFile::GetSize()
{
    if (!RequireOpen())
        return -1;
    const off_t position = ::ftello(m_file);
    off_t size = -1;
    if (position < 0 || ::fseeko(m_file, 0, SEEK_END) != 0 || (size = ::ftello(m_file)) < 0 ||
        ::fseeko(m_file, position, SEEK_SET) != 0)
    {
        m_status = StatusEndOfFile;
        return -1;
    }
    m_status = StatusOk;
    return size;
}

std::int32_t CBinaryFile::GetLength()
{
    if (!RequireOpen())
        return 0;
    const std::int32_t position = Tell();
    Seek(0, 2);
    const std::int32_t length = Tell();
    Seek(position, 0);
    return length;
}

int CBinaryFile::ReadString(char* buffer, std::size_t capacity)
{
    if (buffer == nullptr)
    {
        m_status = StatusBadInput;
        return 0;
    }
    if (!RequireOpen())
        return 0;
    const std::uint32_t length = ReadDword();
    if (m_status != StatusOk)
        return 0;
    // The text and its terminating zero must fit the caller's buffer.
    if (capacity == 0 || length > capacity - 1)
    {
        m_status = StatusBadInput;
        return 0;
    }
    if (ReadRaw(buffer, std::size_t(length) + 1) != std::size_t(length) + 1)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    buffer[length] = '\0';
    m_status = StatusOk;
    return 1;
}

std::uint32_t CBinaryFile::ReadDword()
{
    return ReadLittleEndian(4);
}

std::uint16_t CBinaryFile::ReadWord()
{
    return static_cast<std::uint16_t>(ReadLittleEndian(2));
}

std::uint8_t CBinaryFile::ReadByte()
{
    return static_cast<std::uint8_t>(ReadLittleEndian(1));
}

int CBinaryFile::ReadBlock(void* buffer, std::size_t count)
{
    if (buffer == nullptr)
        return Record(StatusBadInput);
    if (!RequireOpen())
        return 0;
    const bool complete = count == 0 || ReadRaw(buffer, count) == count;
    return Record(complete ? StatusOk : StatusEndOfFile);
}

int CBinaryFile::WriteText(const char* text)
{
    if (!RequireOpen())
        return 0;
    if (text != nullptr)
        WriteRaw(text, std::strlen(text));
    m_status = StatusOk;
    return 1;
}

int CBinaryFile::WriteString(const char* text)
{
    if (text == nullptr)
        return Record(StatusBadInput);
    if (!RequireOpen())
        return 0;
    const std::size_t length = std::strlen(text);
    if (!WriteDword(static_cast<std::uint32_t>(length)) || !WriteBlock(text, length + 1))
        return 0;
    return Record(StatusOk);
}

int CBinaryFile::WriteBlock(const void* buffer, std::size_t count)
{
    if (buffer == nullptr)
        return Record(StatusBadInput);
    if (!RequireOpen())
        return 0;
    const bool complete = count == 0 || WriteRaw(buffer, count) == count;
    return Record(complete ? StatusOk : StatusEndOfFile);
}

int CBinaryFile::WriteByte(std::uint8_t value)
{
    return WriteLittleEndian(value, 1);
}

int CBinaryFile::WriteWord(std::uint16_t value)
{
    return WriteLittleEndian(value, 2);
}

int CBinaryFile::WriteDword(std::uint32_t value)
{
    return WriteLittleEndian(value, 4);
}

int CBinaryFile::Record(BinaryFileStatus status)
{
    m_status = status;
    return status == StatusOk ? 1 : 0;
}

bool CBinaryFile::RequireOpen()
{
    if (IsOpen())
        return true;
    m_status = StatusNotOpen;
    return false;
}

// A value that arrives only in part is dropped: the answer is 0, the bytes
// that did arrive stay consumed.
std::uint32_t CBinaryFile::ReadLittleEndian(std::size_t byteCount)
{
    if (!RequireOpen())
        return 0;
    std::uint8_t bytes[4] = {};
    if (ReadRaw(bytes, byteCount) != byteCount)
    {
        m_status = StatusEndOfFile;
        return 0;
    }
    m_status = StatusOk;
    std::uint32_t value = 0;
    for (std::size_t i = byteCount; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

int CBinaryFile::WriteLittleEndian(std::uint32_t value, std::size_t byteCount)
{
    if (!RequireOpen())
        return 0;
    std::uint8_t bytes[4];
    for (std::size_t i = 0; i < byteCount; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return Record(WriteRaw(bytes, byteCount) == byteCount ? StatusOk : StatusEndOfFile);
}
