// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

enum BinaryFileStatus : std::int32_t
{
    StatusOk = 0,
    StatusEndOfFile = 1, // the file ended early, or a write, seek or tell fell short
    StatusBadInput = 2,  // a null buffer or text, or text not of the expected form
    StatusNotOpen = 3,
    StatusOpenFailed = 4,
};

// A thin stream over one buffered runtime file handle: little-endian typed
// values, byte blocks, positioning, and simple text reading. Operations
// answer 1/0 (or a value) and record the cause of a failure in m_status.
class CBinaryFile
{
public:
    CBinaryFile() = default;
    CBinaryFile(const CBinaryFile&) = delete;
    CBinaryFile& operator=(const CBinaryFile&) = delete;

    // Opens with fopen's mode ("rb", "wb"). A path that is not a regular
    // file (a folder, a FIFO, a device) is refused rather than read.
    int Open(const char* fileName, const char* mode, int closeOnDestroy);
    // Adopts a runtime handle opened elsewhere (fmemopen, tmpfile).
    int Attach(std::FILE* file, int closeOnDestroy);
    BinaryFileStatus GetStatus() const { return m_status; }
    // Pushes buffered bytes to the file and the file to the disk; 1/0.
    int Sync();
    // The file's length with 64-bit offsets, which GetLength cannot state
    // past 2 GiB; the position stays. -1 when it cannot be measured.
    std::int64_t GetSize();
    // Up to count bytes from the file's start, read without moving the
    // stream or dropping what it buffered; a file just opened is then read
    // once, not twice. Answers how many bytes were read.
    std::size_t PeekStart(void* buffer, std::size_t count);

    // Virtual operations, in slot order.
    virtual ~CBinaryFile();
    virtual int IsOpen() const;
    virtual int GetChar();
    virtual std::size_t ReadRaw(void* buffer, std::size_t count);
    virtual std::size_t WriteRaw(const void* buffer, std::size_t count);
    virtual std::int32_t Tell();
    virtual int Seek(std::int32_t offset, int origin);
    // Returns 1 when the handle closed cleanly (buffered bytes written), 0
    // when fclose reported a failure; the status is StatusOk either way.
    virtual int Close();
    virtual std::int32_t GetLength();

    // Text reading (io/BinaryFileText.cpp). A null delimiter set means
    // white space.
    virtual int SkipComment();
    virtual std::uint32_t ReadHex(const char* delimiters);
    virtual std::int32_t ReadInt(const char* delimiters);
    virtual double ReadFloat(const char* delimiters);
    virtual int SkipBlockComment();
    virtual int SkipLine();
    virtual char ReadChar(const char* delimiters);
    virtual std::uint32_t ReadFlags(const char* delimiters);
    // capacity is the buffer's size in bytes, terminating zero included.
    virtual int ReadToken(char* buffer, std::size_t capacity, const char* delimiters);
    virtual int ReadString(char* buffer, std::size_t capacity);

    virtual std::uint32_t ReadDword();
    virtual std::uint16_t ReadWord();
    virtual std::uint8_t ReadByte();
    virtual int ReadBlock(void* buffer, std::size_t count);
    virtual int WriteText(const char* text);
    virtual int WriteString(const char* text);
    virtual int WriteBlock(const void* buffer, std::size_t count);
    virtual int WriteByte(std::uint8_t value);
    virtual int WriteWord(std::uint16_t value);
    virtual int WriteDword(std::uint32_t value);

    static int IsDelimiter(int character, const char* delimiters);

protected:
    // Records StatusNotOpen when there is no file.
    bool RequireOpen();

    BinaryFileStatus m_status = StatusOk;
    int m_closeOnDestroy = 0;
    std::FILE* m_file = nullptr;

private:
    // The stream's buffer when Open chose one; it outlives the stream.
    std::unique_ptr<char[]> m_readBuffer;
    // Records the status; 1 when it is StatusOk, else 0.
    int Record(BinaryFileStatus status);
    std::uint32_t ReadLittleEndian(std::size_t byteCount);
    int WriteLittleEndian(std::uint32_t value, std::size_t byteCount);
};
