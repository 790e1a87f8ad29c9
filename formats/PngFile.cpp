// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/PngFile.h"

#include "formats/FileFailure.h"
#include "formats/PictureSize.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// libpng reports an error by a longjmp back to the setjmp of the function
// that called it. Such a jump must not pass over a C++ object with a
// destructor, so every function that calls libpng and may be jumped out of
// (the ones named Png*Step, and the stream callbacks) holds plain data only;
// the objects that own memory live in their callers, which no jump leaves.

namespace
{

constexpr std::int32_t kTableSize = 256;
constexpr std::uint8_t kOpaque = 255;
constexpr std::uint8_t kTransparent = 0;
constexpr int kFourBits = 4;
constexpr int kEightBits = 8;
constexpr std::size_t kErrorTextBytes = 200;

// zlib's default level and strategy: on sheets (areas of a few colours on a
// transparent ground) they make files about a third of those of the
// fastest level with run-length matches, at a fraction of a millisecond a
// sheet. Filters gain nothing on indices.
constexpr int kCompressionLevel = 6;
constexpr int kCompressionStrategy = 0; // Z_DEFAULT_STRATEGY

// Chunks Tavrel keeps (IHDR, PLTE, tRNS) are small; every other ancillary
// chunk is skipped unread, whatever its length field claims.
constexpr png_alloc_size_t kMaxChunkBytes = 64 * 1024;
// Once the last row is decoded, libpng reads on to check the end of the
// pixel data and the chunks after it, up to this many bytes: a normal file
// has a few bytes there, and whatever more follows is never used.
constexpr std::size_t kMaxBytesAfterPicture = 64 * 1024;
constexpr int kSixteenBits = 16;
constexpr int kAdam7Passes = 7;

// The signature, then IHDR's length, type, width and height.
constexpr std::size_t kPngSignatureBytes = 8;
constexpr std::size_t kPngHeadBytes = kPngSignatureBytes + 16;
constexpr std::size_t kIhdrTypeAt = 12;
constexpr std::size_t kWidthAt = 16;
constexpr std::size_t kHeightAt = 20;

// The state the libpng callbacks share. Plain data only (see above).
struct PngSession
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    CBinaryFile* file = nullptr;
    // The first bytes, read before libpng was given the file: served first.
    std::uint8_t head[kPngHeadBytes] = {};
    std::size_t headBytes = 0;
    std::size_t headServed = 0;
    // Rows still to be decoded, and what was read once there were none.
    std::uint32_t rowsLeft = 0;
    bool pictureComplete = false;
    std::size_t bytesAfterPicture = 0;
    bool stoppedAfterPicture = false;
    // The first 16-bit channel value that is no 8-bit value widened.
    std::uint32_t finerValue = 0;
    bool endedEarly = false;
    int writeError = 0; // errno of a failed write, EIO when none was set
    char errorText[kErrorTextBytes] = {};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::snprintf(session->errorText, sizeof session->errorText, "%s", message);
    png_longjmp(png, 1);
}

// Warnings name things libpng repaired or skipped; the read goes on.
void OnPngWarning(png_structp, png_const_charp)
{
}

void ReadFromStream(png_structp png, png_bytep data, png_size_t length)
{
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    if (session->pictureComplete && (session->bytesAfterPicture += length) > kMaxBytesAfterPicture)
    {
        session->stoppedAfterPicture = true;
        png_error(png, "the picture is complete");
    }
    const std::size_t fromHead = std::min(length, session->headBytes - session->headServed);
    std::copy_n(session->head + session->headServed, fromHead, data);
    session->headServed += fromHead;
    data += fromHead;
    length -= fromHead;
    if (length > 0 && session->file->ReadRaw(data, length) != length)
    {
        session->endedEarly = true;
        png_error(png, "the file ends early");
    }
}

void WriteToStream(png_structp png, png_bytep data, png_size_t length)
{
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    errno = 0;
    if (session->file->WriteRaw(data, length) != length)
    {
        session->writeError = errno != 0 ? errno : EIO;
        png_error(png, "a write to the file fell short");
    }
}

// The replacement's Commit flushes; libpng's flush has nothing to add.
void FlushStream(png_structp)
{
}

Result PngFailure(const PngSession& session)
{
    if (session.endedEarly)
        return Failure(Reason::EndedEarly);
    if (session.finerValue != 0)
        return Failure(Reason::PngFinerThanEightBits, session.finerValue);
    if (session.writeError != 0)
        return SystemFailure(session.writeError);
    Result result = Failure(Reason::Png);
    result.detail = session.errorText;
    return result;
}

Result Unsupported(const char* what)
{
    Result result = Failure(Reason::PngUnsupported);
    result.detail = what;
    return result;
}

// ---- Reading ----

class CPngReader
{
public:
    explicit CPngReader(CBinaryFile& file)
    {
        m_session.file = &file;
        m_session.png =
            png_create_read_struct(PNG_LIBPNG_VER_STRING, &m_session, OnPngError, OnPngWarning);
        if (m_session.png != nullptr)
            m_session.info = png_create_info_struct(m_session.png);
    }
    ~CPngReader() { png_destroy_read_struct(&m_session.png, &m_session.info, nullptr); }
    CPngReader(const CPngReader&) = delete;
    CPngReader& operator=(const CPngReader&) = delete;

    bool Created() const { return m_session.info != nullptr; }
    PngSession& Session() { return m_session; }

private:
    PngSession m_session;
};

// The file's header and colours, as the image will hold them.
struct PngShape
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    std::int32_t imageBits = 0; // 8, 24 or 32
    png_size_t rowBytes = 0;    // after the transforms
    int paletteCount = 0;
    png_color palette[kTableSize] = {};
};

bool PngReadHeaderStep(PngSession* session, PngShape* shape)
{
    if (setjmp(png_jmpbuf(session->png)))
        return false;
    png_set_read_fn(session->png, session, ReadFromStream);
    png_set_user_limits(session->png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_malloc_max(session->png, kMaxChunkBytes);
    // Every chunk but IHDR, PLTE, tRNS, IDAT and IEND is skipped: nothing
    // of it is allocated, its CRC is still checked.
    png_set_keep_unknown_chunks(session->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // Damage anywhere fails the read; by default libpng would quietly drop
    // an ancillary chunk whose CRC is wrong.
    png_set_crc_action(session->png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_read_info(session->png, session->info);
    shape->width = png_get_image_width(session->png, session->info);
    shape->height = png_get_image_height(session->png, session->info);
    shape->bitDepth = png_get_bit_depth(session->png, session->info);
    shape->colorType = png_get_color_type(session->png, session->info);
    return true;
}

// The depth of the image a file of this colour type becomes.
std::int32_t ImageBitsOf(int colorType)
{
    switch (colorType)
    {
    case PNG_COLOR_TYPE_PALETTE:
    case PNG_COLOR_TYPE_GRAY:
        return 8;
    case PNG_COLOR_TYPE_RGB:
        return 24;
    default:
        return 32;
    }
}

// A 16-bit row narrowed in place to the 8-bit values its channels widen;
// a finer value fails the read, since no 8-bit colour matches it exactly.
void NarrowSixteenBitRow(png_structp png, PngSession* session, png_row_infop row, png_bytep data)
{
    const std::size_t samples = std::size_t(row->width) * row->channels;
    for (std::size_t i = 0; i < samples; ++i)
    {
        const png_byte high = data[2 * i];
        const png_byte low = data[2 * i + 1];
        if (low != high)
        {
            session->finerValue = std::uint32_t(high) << 8 | low;
            png_error(png, "a 16-bit value finer than 8 bits");
        }
        data[i] = high;
    }
    row->bit_depth = kEightBits;
    row->pixel_depth = png_byte(kEightBits * row->channels);
    row->rowbytes = samples;
}

// Each decoded row before libpng places it: narrowed when 16-bit, and
// counted, so that reading stops once the last one is in.
void OnRowDecoded(png_structp png, png_row_infop row, png_bytep data)
{
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    if (row->bit_depth == kSixteenBits)
        NarrowSixteenBitRow(png, session, row, data);
    if (session->rowsLeft > 0 && --session->rowsLeft == 0)
        session->pictureComplete = true;
}

// The rows libpng decodes: an interlaced picture's in each pass that has
// columns.
std::uint32_t DecodedRows(const PngShape& shape, int interlace)
{
    if (interlace == PNG_INTERLACE_NONE)
        return shape.height;
    std::uint32_t rows = 0;
    for (int pass = 0; pass < kAdam7Passes; ++pass)
        if (PNG_PASS_COLS(shape.width, pass) > 0)
            rows += PNG_PASS_ROWS(shape.height, pass);
    return rows;
}

// Which image the file becomes, and the transforms that make it: indices
// and grey levels unpacked to a byte each, 16-bit channels narrowed to 8,
// grey with alpha spread to colour. tRNS is not applied (no png_set_expand).
std::int32_t ChooseTransforms(png_structp png, const PngShape& shape)
{
    if (shape.bitDepth < kEightBits)
        png_set_packing(png);
    png_set_interlace_handling(png);
    if (shape.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_read_user_transform_fn(png, OnRowDecoded);
    png_set_user_transform_info(png, nullptr, shape.bitDepth == kSixteenBits ? kEightBits : 0, 0);
    return ImageBitsOf(shape.colorType);
}

bool PngPrepareStep(PngSession* session, PngShape* shape)
{
    if (setjmp(png_jmpbuf(session->png)))
        return false;
    shape->imageBits = ChooseTransforms(session->png, *shape);
    session->rowsLeft = DecodedRows(*shape, png_get_interlace_type(session->png, session->info));
    png_read_update_info(session->png, session->info);
    shape->rowBytes = png_get_rowbytes(session->png, session->info);
    png_colorp palette = nullptr;
    int count = 0;
    if (shape->colorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_PLTE(session->png, session->info, &palette, &count) == PNG_INFO_PLTE)
    {
        shape->paletteCount = std::min(count, kTableSize);
        std::copy_n(palette, shape->paletteCount, shape->palette);
    }
    return true;
}

bool PngReadRowsStep(PngSession* session, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(session->png)))
        return session->stoppedAfterPicture;
    png_read_image(session->png, rows);
    // The chunks after the pixels are checked too, up to IEND.
    png_read_end(session->png, nullptr);
    return true;
}

std::uint32_t BigEndianAt(const std::uint8_t* bytes)
{
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | bytes[3];
}

// The signature and the size IHDR states, read before libpng sees the file:
// libpng would refuse a size over its limits with words of its own, and a
// picture over the limits is refused as every reader refuses it.
Result ReadHead(PngSession& session)
{
    session.headBytes = session.file->ReadRaw(session.head, sizeof session.head);
    if (!HasPngSignature(session.head, session.headBytes))
        return Failure(Reason::PngNoSignature);
    if (session.headBytes < kPngHeadBytes ||
        std::memcmp(session.head + kIhdrTypeAt, "IHDR", 4) != 0)
        return {}; // libpng names what is wrong
    return CheckPictureSize(BigEndianAt(session.head + kWidthAt),
                            BigEndianAt(session.head + kHeightAt));
}

// Answers how many entries the file defined: the palette's, or the grey levels.
std::int32_t FillColorTable(CColorTable& table, const PngShape& shape)
{
    if (shape.colorType == PNG_COLOR_TYPE_PALETTE)
    {
        for (int i = 0; i < shape.paletteCount; ++i)
            table.SetAt(i, shape.palette[i].red, shape.palette[i].green, shape.palette[i].blue,
                        kOpaque);
        return shape.paletteCount;
    }
    const int levels = 1 << std::min(shape.bitDepth, kEightBits);
    for (int level = 0; level < levels; ++level)
    {
        const auto grey = static_cast<std::uint8_t>(level * 255 / (levels - 1));
        table.SetAt(level, grey, grey, grey, kOpaque);
    }
    return levels;
}

Result ReadPixels(PngSession& session, const PngShape& shape, CSpriteImage& image)
{
    if (!image.Create(std::int32_t(shape.width), std::int32_t(shape.height), shape.imageBits))
        return Failure(Reason::OutOfMemory);
    const std::size_t rowBytes = std::size_t(shape.width) * std::size_t(shape.imageBits / 8);
    if (shape.rowBytes != rowBytes)
        return Unsupported("row layout after decoding");
    std::vector<png_bytep> rows(shape.height);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = image.GetPixels() + y * rowBytes;
    if (!PngReadRowsStep(&session, rows.data()))
        return PngFailure(session);
    return {};
}

// The signature and the header chunk, checked.
Result ReadShape(PngSession& session, PngShape& shape)
{
    if (Result head = ReadHead(session); !head)
        return head;
    if (!PngReadHeaderStep(&session, &shape))
        return PngFailure(session);
    return {};
}

Result ReadInto(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome)
{
    CPngReader reader(file);
    if (!reader.Created())
        return Failure(Reason::OutOfMemory);
    PngSession& session = reader.Session();
    PngShape shape;
    if (Result read = ReadShape(session, shape); !read)
        return read;
    if (!PngPrepareStep(&session, &shape))
        return PngFailure(session);
    if (shape.imageBits == 8 && !image.m_colorTable.SetSize(kTableSize))
        return Failure(Reason::OutOfMemory);
    const std::int32_t defined =
        shape.imageBits == 8 ? FillColorTable(image.m_colorTable, shape) : 0;
    Result read = ReadPixels(session, shape, image);
    if (read && outcome)
        outcome->definedColors = defined;
    return read;
}

// ---- Writing ----

class CPngWriter
{
public:
    explicit CPngWriter(CBinaryFile& file)
    {
        m_session.file = &file;
        m_session.png =
            png_create_write_struct(PNG_LIBPNG_VER_STRING, &m_session, OnPngError, OnPngWarning);
        if (m_session.png != nullptr)
            m_session.info = png_create_info_struct(m_session.png);
    }
    ~CPngWriter() { png_destroy_write_struct(&m_session.png, &m_session.info); }
    CPngWriter(const CPngWriter&) = delete;
    CPngWriter& operator=(const CPngWriter&) = delete;

    bool Created() const { return m_session.info != nullptr; }
    PngSession& Session() { return m_session; }

private:
    PngSession m_session;
};

// Everything the file will hold, worked out before libpng is called.
struct PngLayout
{
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = kEightBits;
    int colorType = PNG_COLOR_TYPE_PALETTE;
    int paletteCount = 0;
    png_color palette[kTableSize] = {};
    bool transparentIndexZero = false;
    png_size_t rowBytes = 0; // in the image
    const std::uint8_t* pixels = nullptr;
};

void TakeColors(const CSpriteImage& image, std::int32_t first, PngLayout& layout)
{
    for (int i = 0; i < layout.paletteCount; ++i)
    {
        const ColorEntry* entry = image.GetColor(first + i);
        if (entry != nullptr)
            layout.palette[i] = png_color{entry->red, entry->green, entry->blue};
    }
}

Result CheckRowIndices(const CSpriteImage& image)
{
    const std::uint8_t* pixels = image.GetPixels();
    const std::uint8_t* end = pixels + image.GetPixelBytes();
    const std::uint8_t* over =
        std::find_if(pixels, end, [](std::uint8_t index) { return index >= kPaletteRowSize; });
    if (over != end)
        return Failure(Reason::PngIndexOverRow, *over, kPaletteRowSize - 1);
    return {};
}

Result PlanIndexed(const CSpriteImage& image, const PngWriteOptions& options, PngLayout& layout)
{
    layout.transparentIndexZero = options.transparentIndexZero;
    if (options.paletteRow == kPngWholeTable)
    {
        layout.paletteCount = kTableSize;
        TakeColors(image, 0, layout);
        return {};
    }
    if (options.paletteRow < 0 || options.paletteRow >= kPaletteRowCount)
        return Failure(Reason::BadPaletteRow, options.paletteRow, kPaletteRowCount - 1);
    if (Result indices = CheckRowIndices(image); !indices)
        return indices;
    layout.bitDepth = kFourBits;
    layout.paletteCount = kPaletteRowSize;
    TakeColors(image, options.paletteRow * kPaletteRowSize, layout);
    return {};
}

Result PlanPng(const CSpriteImage& image, const PngWriteOptions& options, PngLayout& layout)
{
    if (image.GetPixels() == nullptr)
        return Unsupported("no picture to write");
    layout.width = png_uint_32(image.GetWidth());
    layout.height = png_uint_32(image.GetHeight());
    layout.pixels = image.GetPixels();
    layout.rowBytes = std::size_t(image.GetWidth()) * std::size_t(image.GetBitsPerPixel() / 8);
    switch (image.GetBitsPerPixel())
    {
    case 8:
        return PlanIndexed(image, options, layout);
    case 24:
        layout.colorType = PNG_COLOR_TYPE_RGB;
        return {};
    case 32:
        layout.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
        return {};
    default:
        return Unsupported("16-bit pictures are not written as PNG");
    }
}

void WriteHeader(png_structp png, png_infop info, const PngLayout& layout)
{
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, layout.palette, layout.paletteCount);
    if (layout.colorType == PNG_COLOR_TYPE_PALETTE && layout.transparentIndexZero)
    {
        png_byte alpha = kTransparent;
        png_set_tRNS(png, info, &alpha, 1, nullptr);
    }
    png_write_info(png, info);
}

bool PngWriteStep(PngSession* session, const PngLayout* layout)
{
    if (setjmp(png_jmpbuf(session->png)))
        return false;
    png_structp png = session->png;
    png_set_write_fn(png, session, WriteToStream, FlushStream);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, kCompressionLevel);
    png_set_compression_strategy(png, kCompressionStrategy);
    WriteHeader(png, session->info, *layout);
    // One byte per index in the image; libpng packs two to a byte.
    if (layout->bitDepth < kEightBits)
        png_set_packing(png);
    // libpng copies each row before it packs it, so the image is only read.
    for (png_uint_32 y = 0; y < layout->height; ++y)
        png_write_row(png, const_cast<png_bytep>(layout->pixels + y * layout->rowBytes));
    png_write_end(png, session->info);
    return true;
}

} // namespace

bool HasPngSignature(const std::uint8_t* bytes, std::size_t size)
{
    return size >= kPngSignatureBytes && png_sig_cmp(bytes, 0, kPngSignatureBytes) == 0;
}

Result ReadPngHeader(CBinaryFile& file, PictureHeader& header)
{
    CPngReader reader(file);
    if (!reader.Created())
        return Failure(Reason::OutOfMemory);
    PngShape shape;
    if (Result read = ReadShape(reader.Session(), shape); !read)
        return read;
    header = {std::int32_t(shape.width), std::int32_t(shape.height), ImageBitsOf(shape.colorType)};
    return {};
}

Result ReadPng(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome)
{
    Result result = ReadInto(file, image, outcome);
    if (!result)
    {
        image.Free();
        image.m_colorTable.SetSize(0);
    }
    return result;
}

Result LoadPngFile(const char* path, CSpriteImage& image, ImportOutcome* outcome)
{
    CBinaryFile file;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    return ReadPng(file, image, outcome);
}

Result WritePng(CBinaryFile& file, const CSpriteImage& image, const PngWriteOptions& options)
{
    PngLayout layout;
    if (Result planned = PlanPng(image, options, layout); !planned)
        return planned;
    CPngWriter writer(file);
    if (!writer.Created())
        return Failure(Reason::OutOfMemory);
    if (!PngWriteStep(&writer.Session(), &layout))
        return PngFailure(writer.Session());
    return {};
}

Result SavePngFile(const CSpriteImage& image, const char* path, const PngWriteOptions& options,
                   CReplaceBatch* batch)
{
    PngLayout layout;
    if (Result planned = PlanPng(image, options, layout); !planned)
        return planned;
    return ReplaceFileWith(path, batch,
                           [&](CBinaryFile& file) { return WritePng(file, image, options); });
}
