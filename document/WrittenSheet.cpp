// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/WrittenSheet.h"

#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
bool SameRgb(const ColorEntry& a, const ColorEntry& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The bytes the writer produces for the layout, without a trailing block.
Result WriteToMemory(const CSpriteImage& image, SpriteLayout layout, std::vector<char>& bytes)
{
    char* data = nullptr;
    std::size_t size = 0;
    Result written;
    {
        CBinaryFile file;
        if (!file.Attach(::open_memstream(&data, &size), 1))
            return Failure(Reason::OutOfMemory);
        written = WriteSpriteSheet(file, image, layout, nullptr);
        if (file.Close() != 1 && written)
            written = Failure(Reason::OutOfMemory);
    }
    if (written)
        bytes.assign(data, data + size);
    std::free(data);
    return written;
}
} // namespace

Result SheetAsWritten(const CSpriteImage& image, SpriteLayout layout, CSpriteImage& written)
{
    std::vector<char> bytes;
    if (Result made = WriteToMemory(image, layout, bytes); !made)
        return made;
    CBinaryFile file;
    if (!file.Attach(::fmemopen(bytes.data(), bytes.size(), "rb"), 1))
        return Failure(Reason::OutOfMemory);
    return ReadSpriteSheet(file, layout, written);
}

std::int32_t CountChangedColors(const CSpriteImage& image, const CColorTable& table)
{
    const std::int32_t count =
        std::min({image.m_colorTable.GetSize(), table.GetSize(), kSprColorCount});
    std::int32_t changed = 0;
    for (std::int32_t i = 0; i < count; ++i)
        changed += !SameRgb(*image.m_colorTable.GetAt(i), *table.GetAt(i));
    return changed;
}

bool ShowsTheSame(const CSpriteImage& a, const CSpriteImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() ||
        a.GetBitsPerPixel() != b.GetBitsPerPixel() ||
        a.m_colorTable.GetSize() != b.m_colorTable.GetSize())
        return false;
    if (a.GetPixels() && b.GetPixels() &&
        std::memcmp(a.GetPixels(), b.GetPixels(), std::size_t(a.GetPixelBytes())) != 0)
        return false;
    for (std::int32_t i = 0; i < a.m_colorTable.GetSize(); ++i)
        if (!SameRgb(*a.m_colorTable.GetAt(i), *b.m_colorTable.GetAt(i)))
            return false;
    return true;
}
