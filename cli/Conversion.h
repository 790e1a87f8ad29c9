#pragma once

#include "base/Result.h"
#include "cli/FileKind.h"

#include <cstdint>
#include <optional>
#include <string>

class CReplaceBatch;
class CTrailingBlock;

// What every file of one run is converted with.
struct ConversionSettings
{
    FileKind target = FileKind::Bmp;
    std::optional<std::int32_t> paletteRow;       // BMP output only
    const CTrailingBlock* trailingFrom = nullptr; // SPR output from BMP or SP2 only
    CReplaceBatch* batch = nullptr;               // where outputs wait to be put in place, or none
    bool lossy = false;                           // write sheets the layout cannot hold exactly
};

// Reads input and writes output in the target format, exactly as the viewer
// would: Open or Import, then Export or Save.
Result Convert(const std::string& input, const std::string& output,
               const ConversionSettings& settings);
// The same, answering why it failed in the viewer's words and the reason,
// or an empty text.
std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings);

// The trailing block --trailing-from names, failing as the viewer's Open does.
Result ReadTrailingFrom(const std::string& path, CTrailingBlock& block);
