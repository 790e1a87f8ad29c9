// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

void FuzzRequire(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

std::uint32_t FuzzLittleEndian32(const std::uint8_t* data, std::size_t size, std::size_t offset)
{
    if (size < offset + 4)
        return 0;
    return std::uint32_t(data[offset]) | std::uint32_t(data[offset + 1]) << 8 |
           std::uint32_t(data[offset + 2]) << 16 | std::uint32_t(data[offset + 3]) << 24;
}

std::vector<std::uint8_t> FirstBytesPadded(const std::uint8_t* data, std::size_t size,
                                           std::size_t length)
{
    std::vector<std::uint8_t> bytes(length, 0);
    std::copy_n(data, std::min(size, length), bytes.begin());
    return bytes;
}

std::FILE* OpenMemoryInput(const std::uint8_t* data, std::size_t size)
{
    // fmemopen wants a buffer even for no bytes.
    static std::uint8_t noBytes = 0;
    void* buffer = size == 0 ? &noBytes : const_cast<std::uint8_t*>(data);
    std::FILE* stream = ::fmemopen(buffer, size, "rb");
    FuzzRequire(stream != nullptr, "a memory stream opens");
    return stream;
}

CMemoryOutput::CMemoryOutput() : m_stream(::open_memstream(&m_data, &m_size))
{
    FuzzRequire(m_stream != nullptr, "a memory output opens");
}

CMemoryOutput::~CMemoryOutput()
{
    std::fclose(m_stream);
    std::free(m_data);
}

std::vector<std::uint8_t> CMemoryOutput::Written()
{
    FuzzRequire(std::fflush(m_stream) == 0, "a memory output takes its bytes");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(m_data);
    return {bytes, bytes + m_size};
}

namespace
{

std::string MakeFuzzFile()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrel-fuzz-XXXXXX").string();
    const int descriptor = ::mkstemp(pattern.data());
    FuzzRequire(descriptor >= 0, "a temporary file can be made");
    ::close(descriptor);
    return pattern;
}

const std::string& FuzzFilePath()
{
    static const std::string path = MakeFuzzFile();
    static const bool removedAtExit = std::atexit([] { std::remove(FuzzFilePath().c_str()); }) == 0;
    FuzzRequire(removedAtExit, "the temporary file is removed at exit");
    return path;
}

} // namespace

const std::string& WriteFuzzFile(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = FuzzFilePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FuzzRequire(file != nullptr, "the temporary file opens for writing");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    FuzzRequire(std::fclose(file) == 0 && written, "the temporary file is written");
    return path;
}

std::uint8_t CFuzzChoices::Take()
{
    return m_used < m_size ? m_data[m_used++] : 0;
}
