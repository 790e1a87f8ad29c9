// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "io/FileIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CBinaryFile;

// Blocks up to this size are held in memory; larger ones are kept by
// reference to the file they are in and copied from it when written.
constexpr std::int64_t kTrailingBlockHeldLimit = std::int64_t(16) << 20;

// The bytes of an SPR file after its sheet, written back byte for byte. An
// empty block is no block. A large block stays in its file: the block
// remembers which file it is (device, inode, size, modification time) and
// copies it through a fixed buffer when written, refusing a file that has
// changed since, rather than writing bytes that were never in the sheet's file.
class CTrailingBlock
{
public:
    CTrailingBlock() = default;
    explicit CTrailingBlock(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::int64_t Size() const { return m_source.empty() ? std::int64_t(m_bytes.size()) : m_length; }
    bool IsByReference() const { return !m_source.empty(); }
    // The file a block kept by reference is copied from; nothing for a block
    // held in memory.
    std::optional<FileIdentity> Source() const;
    // Writes every byte; a failure carries the system's error, or
    // Reason::TrailingSourceChanged.
    Result WriteTo(CBinaryFile& file) const;
    // After a save wrote this block into the SPR file at path: a block kept
    // by reference now refers to that file, as its old one may be gone.
    void Rebase(const char* path);

    // Reads the trailing block of the SPR file at path: held in memory up
    // to heldLimit bytes (or when memory for it is refused), else by
    // reference. A block that cannot be measured or read is a failure,
    // leaving no block: answering "no block" would let a save drop it
    // unannounced, and one that arrived short would be saved back with bytes
    // that were never in the file.
    static Result Read(const char* path, CTrailingBlock& block,
                       std::int64_t heldLimit = kTrailingBlockHeldLimit);

private:
    // Refers to the block's length bytes after the sheet of the file at path,
    // as the file is now.
    void Refer(const char* path, std::int64_t length, const FileStamp& file);

    std::vector<std::uint8_t> m_bytes;
    // By reference: the file, where the block lies in it, and what the file was.
    std::string m_source;
    std::int64_t m_offset = 0;
    std::int64_t m_length = 0;
    FileStamp m_sourceStamp;
};

// The size of the SPR file's trailing block from the file's length alone:
// nothing is read.
Result MeasureTrailingBlock(const char* path, std::int64_t& size);
