#include "formats/FileResults.h"

#include "io/BinaryFile.h"

#include <cerrno>

Result OpenToRead(CBinaryFile& file, const char* path)
{
    if (path == nullptr)
        return Failure(Reason::System);
    // A file that opens but is not regular is closed again without an error.
    errno = 0;
    if (file.Open(path, "rb", 1))
        return {};
    return errno != 0 ? SystemFailure(errno) : Failure(Reason::NotRegularFile);
}

Result WriteFailure(int error)
{
    return SystemFailure(error != 0 ? error : EIO);
}
