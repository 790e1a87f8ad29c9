// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/EditKind.h"
#include "document/UndoSteps.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>

// The steps done to the sheet, oldest first, and where the sheet stands
// among them. The clean point is where the sheet is what its file holds:
// the sheet has unsaved changes exactly when it stands elsewhere. The steps
// are bounded by the memory they hold: past the limit, the oldest go first,
// though the newest step is always kept, so the last change can always be
// undone. A limit of 0 keeps no history at all.
class CUndoHistory
{
public:
    static constexpr std::size_t kDefaultLimitBytes = std::size_t(64) << 20;

    // Forgets every step; the sheet as it stands is clean, or, for a sheet
    // that is in no file yet, never.
    void Reset(bool clean);
    void SetLimit(std::size_t bytes);
    std::size_t Limit() const { return m_limit; }

    // A step just done: it replaces any steps that were undone.
    void Push(EditKind kind, std::unique_ptr<IUndoStep> step);
    // The step to undo, now counted as undone; null when there is none.
    IUndoStep* StepBack();
    // The step to redo, now counted as done again; null when there is none.
    IUndoStep* StepForward();

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    std::optional<EditKind> UndoKind() const;
    std::optional<EditKind> RedoKind() const;

    bool IsClean() const { return m_clean == m_done; }
    void MarkClean() { m_clean = m_done; }

    std::size_t StepCount() const { return m_steps.size(); }
    std::size_t Bytes() const { return m_bytes; }

private:
    struct Entry
    {
        EditKind kind;
        std::unique_ptr<IUndoStep> step;
        std::size_t bytes;
    };

    void DropUndone();
    void DropOldest();
    void Trim();

    std::deque<Entry> m_steps;
    std::size_t m_done = 0; // steps done; the rest were undone
    std::optional<std::size_t> m_clean = 0;
    std::size_t m_limit = kDefaultLimitBytes;
    std::size_t m_bytes = 0;
};
