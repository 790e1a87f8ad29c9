#pragma once

#include "base/Result.h"

#include <cstdint>
#include <vector>

class CBinaryFile;

// The bytes of an SPR file after its sheet, written back byte for byte. An
// empty block is no block. Its users see only its size and can write it, so
// the bytes may later be held elsewhere than in memory.
class CTrailingBlock
{
public:
    CTrailingBlock() = default;
    explicit CTrailingBlock(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::int64_t Size() const { return static_cast<std::int64_t>(m_bytes.size()); }
    // Writes every byte; a failure carries the system's error.
    Result WriteTo(CBinaryFile& file) const;

    // Reads the trailing block of the SPR file at path. A block that cannot
    // be measured (a file beyond 2 GiB), held or read whole is a failure,
    // leaving no block: answering "no block" would let a save drop it
    // unannounced, and one that arrived short would be saved back with bytes
    // that were never in the file.
    static Result Read(const char* path, CTrailingBlock& block);

private:
    std::vector<std::uint8_t> m_bytes;
};

// The size of the SPR file's trailing block from the file's length alone:
// nothing is read.
Result MeasureTrailingBlock(const char* path, std::int64_t& size);
