#include "formats/FileFailure.h"

#include "io/BinaryFile.h"

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
