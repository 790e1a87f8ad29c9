// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ProgressLine.h"

#include <cstdio>

#include <unistd.h>

namespace
{

// Long paths are cut from the front so that the line never wraps, which
// would defeat rewriting it in place.
constexpr std::size_t kShownPathLength = 60;
constexpr char kWipeLine[] = "\r\033[K";

} // namespace

CProgressLine::CProgressLine(std::size_t total)
    : m_enabled(total > 1 && ::isatty(STDERR_FILENO) == 1), m_total(total)
{
}

CProgressLine::~CProgressLine()
{
    Clear();
}

void CProgressLine::Show(std::size_t number, const std::string& current)
{
    if (!m_enabled)
        return;
    const bool cut = current.size() > kShownPathLength;
    const std::string shown = cut ? current.substr(current.size() - kShownPathLength) : current;
    std::fprintf(stderr, "%s[%zu/%zu] %s%s", kWipeLine, number, m_total, cut ? "..." : "",
                 shown.c_str());
    std::fflush(stderr);
    m_shown = true;
}

void CProgressLine::Clear()
{
    if (!m_shown)
        return;
    std::fputs(kWipeLine, stderr);
    std::fflush(stderr);
    m_shown = false;
}
