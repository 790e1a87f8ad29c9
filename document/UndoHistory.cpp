// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/UndoHistory.h"

void CUndoHistory::Reset(bool clean)
{
    m_steps.clear();
    m_done = 0;
    m_bytes = 0;
    m_clean = clean ? std::optional<std::size_t>(0) : std::nullopt;
}

void CUndoHistory::SetLimit(std::size_t bytes)
{
    m_limit = bytes;
    Trim();
}

void CUndoHistory::Push(EditKind kind, std::unique_ptr<IUndoStep> step)
{
    DropUndone();
    // The state the clean point stood for is gone for good.
    if (m_clean && *m_clean > m_done)
        m_clean.reset();
    const std::size_t bytes = sizeof(Entry) + step->Bytes();
    m_steps.push_back({kind, std::move(step), bytes});
    m_bytes += bytes;
    ++m_done;
    Trim();
}

IUndoStep* CUndoHistory::StepBack()
{
    if (!CanUndo())
        return nullptr;
    return m_steps[--m_done].step.get();
}

IUndoStep* CUndoHistory::StepForward()
{
    if (!CanRedo())
        return nullptr;
    return m_steps[m_done++].step.get();
}

std::optional<EditKind> CUndoHistory::UndoKind() const
{
    return CanUndo() ? std::optional(m_steps[m_done - 1].kind) : std::nullopt;
}

std::optional<EditKind> CUndoHistory::RedoKind() const
{
    return CanRedo() ? std::optional(m_steps[m_done].kind) : std::nullopt;
}

void CUndoHistory::DropUndone()
{
    while (m_steps.size() > m_done)
    {
        m_bytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
}

void CUndoHistory::DropOldest()
{
    m_bytes -= m_steps.front().bytes;
    m_steps.pop_front();
    --m_done;
    // Standing before the first step was the clean point: no step leads
    // back there any more.
    if (m_clean)
        m_clean = *m_clean == 0 ? std::nullopt : std::optional(*m_clean - 1);
}

void CUndoHistory::Trim()
{
    if (m_limit == 0)
    {
        while (m_done > 0)
            DropOldest();
        DropUndone();
        return;
    }
    while (m_bytes > m_limit && m_done > 1)
        DropOldest();
}
