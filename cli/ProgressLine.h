// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

// "[12/1000] sheets/a.spr" on stderr, rewritten in place for each file. Shown
// only for more than one file and only on a terminal, so logs and pipes get
// nothing but the error lines.
class CProgressLine
{
public:
    explicit CProgressLine(std::size_t total);
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;
    ~CProgressLine();

    void Show(std::size_t number, const std::string& current);
    // Wipes the line, so that an error line or the shell prompt starts clean.
    void Clear();

private:
    bool m_enabled;
    bool m_shown = false;
    std::size_t m_total;
};
