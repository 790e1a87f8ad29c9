// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/FileFailure.h"

#include "io/BinaryFile.h"
#include "io/FileReplacer.h"

#include <cerrno>

Result OpenToRead(CBinaryFile& file, const char* path)
{
    errno = 0;
    if (path && file.Open(path, "rb", 1))
        return {};
    // The stream refuses a file that is not regular without a system error.
    return FailureFromErrno(Reason::NotRegularFile);
}

Result FailureFromErrno(Reason fallback)
{
    return errno != 0 ? SystemFailure(errno) : Failure(fallback);
}

Result ReplaceFileWith(const char* path, CReplaceBatch* batch,
                       const std::function<Result(CBinaryFile&)>& write)
{
    if (path == nullptr || *path == '\0')
        return SystemFailure(ENOENT);
    CFileReplacer replacer(path, batch);
    errno = 0;
    // A folder in the target's place sets no error.
    if (!replacer.Begin())
        return FailureFromErrno(Reason::NotRegularFile);
    if (Result written = write(replacer.File()); !written)
        return written;
    errno = 0;
    if (!replacer.Commit())
        return FailureFromErrno();
    return {};
}
