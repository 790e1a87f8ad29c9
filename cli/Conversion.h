// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "cli/SheetEdits.h"
#include "formats/FileFormats.h"

#include "image/ColorEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CColorTable;
class CReplaceBatch;
class CTrailingBlock;

// What every file of one run is converted with.
struct ConversionSettings
{
    FileFormat target = FileFormat::Bmp;
    // BMP, PNG and palette output: the row shown; with matchPalette, the row matched onto.
    std::optional<std::int32_t> paletteRow;
    const CTrailingBlock* trailingFrom = nullptr; // SPR output from BMP, PNG or SP2 only
    const CColorTable* matchPalette = nullptr; // the table the input's indices are recovered onto
    const std::vector<SheetEdit>* edits = nullptr; // then these, in order
    bool transparentZero = false;              // PNG output only
    CReplaceBatch* batch = nullptr;            // where outputs wait to be put in place, or none
    bool lossy = false;                        // write sheets the layout cannot hold exactly
};

// Reads input and writes output in the target format, exactly as the viewer
// would: Open or Import, then Export or Save.
Result Convert(const std::string& input, const std::string& output,
               const ConversionSettings& settings);
// The same, answering why it failed in the viewer's words and the reason,
// or an empty text.
std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings);
