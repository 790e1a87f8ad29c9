// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The entry point that libFuzzer calls, and that the replay program calls
// once for each file of a corpus.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Stops the run with a message when a property that must hold for every
// input does not: libFuzzer keeps the input, a replay test fails.
void FuzzRequire(bool holds, const char* what);

// Little-endian 32-bit value at offset, 0 when the input is too short.
std::uint32_t FuzzLittleEndian32(const std::uint8_t* data, std::size_t size, std::size_t offset);

// The first length bytes of the input, zeros where it ends early.
std::vector<std::uint8_t> FirstBytesPadded(const std::uint8_t* data, std::size_t size,
                                           std::size_t length);

// A read-only runtime stream over the fuzz bytes; the bytes must outlive it.
std::FILE* OpenMemoryInput(const std::uint8_t* data, std::size_t size);

// A runtime stream that collects what is written to it in memory.
class CMemoryOutput
{
public:
    CMemoryOutput();
    CMemoryOutput(const CMemoryOutput&) = delete;
    CMemoryOutput& operator=(const CMemoryOutput&) = delete;
    ~CMemoryOutput();

    std::FILE* Stream() { return m_stream; }
    // Everything written to the stream so far.
    std::vector<std::uint8_t> Written();

private:
    std::FILE* m_stream = nullptr;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

// Writes the bytes to a file of this process's own in the temporary folder
// and answers its path. The file is rewritten for each input and removed
// when the process ends.
const std::string& WriteFuzzFile(const std::uint8_t* data, std::size_t size);

// Takes choices one byte at a time from the front of an input; the bytes
// left over are the data the choices apply to.
class CFuzzChoices
{
public:
    CFuzzChoices(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // 0 once the input is used up.
    std::uint8_t Take();
    const std::uint8_t* Rest() const { return m_data + m_used; }
    std::size_t RestSize() const { return m_size - m_used; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_used = 0;
};
