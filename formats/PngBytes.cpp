// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PngFile.h"

#include "io/BinaryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

Result DecodePng(const std::uint8_t* data, std::size_t size, CSpriteImage& image)
{
    if (data == nullptr || size == 0)
        return Failure(Reason::EndedEarly, 0, 8);
    // A stream opened for reading only never writes to the bytes.
    std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (stream == nullptr)
        return SystemFailure(errno);
    CBinaryFile file;
    file.Attach(stream, 1);
    return ReadPng(file, image);
}

Result EncodePng(const CSpriteImage& image, const PngWriteOptions& options,
                 std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    if (stream == nullptr)
        return SystemFailure(errno);
    Result written;
    {
        CBinaryFile file;
        file.Attach(stream, 0);
        written = WritePng(file, image, options);
    }
    // The buffer holds everything written once the stream is closed.
    if (std::fclose(stream) != 0 && written)
        written = Failure(Reason::WriteFellShort);
    if (written)
        bytes.assign(reinterpret_cast<std::uint8_t*>(data),
                     reinterpret_cast<std::uint8_t*>(data) + size);
    std::free(data);
    return written;
}
