// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/WriteBuffer.h"

#include <new>
#include <utility>

namespace
{
thread_local std::unique_ptr<char[]> t_spare;
} // namespace

void CWriteBuffer::Take()
{
    if (m_bytes)
        return;
    m_bytes = t_spare ? std::move(t_spare) : std::unique_ptr<char[]>(new (std::nothrow) char[kBytes]);
}

void CWriteBuffer::GiveBack()
{
    if (m_bytes && !t_spare)
        t_spare = std::move(m_bytes);
    m_bytes.reset();
}
