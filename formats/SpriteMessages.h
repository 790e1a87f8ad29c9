#pragma once

#include "formats/SpriteFile.h"

// What the user is told when a sprite or picture file operation fails. The
// viewer shows these in its message boxes and the converter prints them, so
// both speak with the same words.
inline constexpr const char kLoadSprFailedMessage[] = "Error: Could not load SPR file.";
inline constexpr const char kLoadSp2FailedMessage[] = "Error: Could not load SP2 file.";
inline constexpr const char kReadTrailingFailedMessage[] = "Error: Unable to read sprite data.";
inline constexpr const char kLoadBmpFailedMessage[] = "Error: Could not load BMP file.";
inline constexpr const char kExportBmpFailedMessage[] = "Could not export to BMP file.";

// The text for a save result; empty for Written and NoImage, which have
// nothing to report.
const char* SpriteSaveMessage(SpriteSaveResult result);
