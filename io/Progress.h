// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Told how far a long read or write has come, and asked whether to go on.
// A front end shows it (and keeps its window painted); a job that is told
// to stop leaves every file it would have replaced as it was.
class IProgress
{
public:
    // done of total bytes; false stops the job.
    virtual bool Advance(std::int64_t done, std::int64_t total) = 0;

protected:
    ~IProgress() = default;
};
