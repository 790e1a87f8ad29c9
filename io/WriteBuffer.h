// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>

// The buffer a file being written collects its bytes in, large enough for a
// whole sheet, picture or palette file, so that each goes to the disk in
// one write. A batch writes file after file: the buffer of the file just
// closed serves the next one instead of being freed and allocated again.
class CWriteBuffer
{
public:
    static constexpr std::size_t kBytes = std::size_t(1) << 20;

    CWriteBuffer() = default;
    CWriteBuffer(const CWriteBuffer&) = delete;
    CWriteBuffer& operator=(const CWriteBuffer&) = delete;
    ~CWriteBuffer() { GiveBack(); }

    // Takes the thread's spare buffer, or allocates one; Get() stays null
    // when memory is short, and the stream then buffers as it would.
    void Take();
    // Only once the stream that wrote into it is closed.
    void GiveBack();
    char* Get() const { return m_bytes.get(); }

private:
    std::unique_ptr<char[]> m_bytes;
};
