// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/ImportOutcome.h"

#include <cstdint>
#include <vector>

class CBinaryFile;
class CReplaceBatch;
class CSpriteImage;

// BMP import through DevIL (formats/BmpImport.cpp). The headers are read and
// checked first; then only the bytes a picture with those headers can use
// are read, and those go to DevIL. A failure's reason only.
Result ReadBmpForDecoding(CBinaryFile& file, std::vector<std::uint8_t>& bytes);
// With an outcome, it learns how many colours the file's palette defines.
Result ReadBmpPicture(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome = nullptr);
// The same from the file at path.
Result LoadBmpPicture(const char* path, CSpriteImage& image, ImportOutcome* outcome = nullptr);

// BMP export (formats/BmpWriter.cpp): 8-bit pictures with all 256 colours,
// others at their depth. SaveBmpPicture replaces the file safely, at once
// or, with a batch, when the batch finishes.
Result WriteBmpPicture(CBinaryFile& file, const CSpriteImage& image);
Result SaveBmpPicture(const CSpriteImage& image, const char* path, CReplaceBatch* batch = nullptr);
