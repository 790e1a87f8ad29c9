#pragma once

#include "cli/FileKind.h"
#include "cli/SheetLoading.h"

#include <cstdint>
#include <optional>
#include <string>

class CReplaceBatch;

// What every file of one run is converted with.
struct ConversionSettings
{
    FileKind target = FileKind::Bmp;
    std::optional<std::int32_t> paletteRow;           // BMP output only
    const OwnedTrailingBlock* trailingFrom = nullptr; // SPR output from BMP or SP2 only
    CReplaceBatch* batch = nullptr; // where outputs wait to be put in place, or none
};

// Reads input and writes output in the target format, exactly as the viewer
// would: Open or Import, then Export or Save. Answers the reason it failed,
// in the viewer's words, or an empty text.
std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings);
