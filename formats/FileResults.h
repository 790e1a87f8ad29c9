#pragma once

#include "base/Result.h"

class CBinaryFile;

// Opens a regular file for reading: Ok, or why not (the system's error, or
// NotRegularFile for a folder, a FIFO or a device).
Result OpenToRead(CBinaryFile& file, const char* path);

// The failure of a write that stopped before its file was in place: the
// system's error, or an input/output error when the stream set none.
Result WriteFailure(int error);
