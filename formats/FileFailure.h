// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <functional>

class CBinaryFile;
class CReplaceBatch;

// The stream answers 1/0; these turn what the system said into a reason.
// Each caller clears errno before the call whose failure it reports.

// Opens path for reading. A folder, a FIFO or a device is refused with
// Reason::NotRegularFile, anything else with the system's error.
Result OpenToRead(CBinaryFile& file, const char* path);

// The failure of the call that just failed: errno when it set one, else the
// fallback reason.
Result FailureFromErrno(Reason fallback = Reason::WriteFellShort);

// Writes a whole file at path through a safe replacement, its bytes coming
// from write: Ok, or why not (write's own failure, else the system's error).
Result ReplaceFileWith(const char* path, CReplaceBatch* batch,
                       const std::function<Result(CBinaryFile&)>& write);
