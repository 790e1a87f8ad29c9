#include "cli/Conversion.h"

#include "formats/PaletteRow.h"
#include "formats/SpriteFile.h"
#include "formats/SpriteMessages.h"
#include "image/SpriteImage.h"

namespace
{

// Export writes the source image; with a palette row it writes what the
// viewer shows instead, the display image.
std::string ExportBmp(const CSpriteImage& source, std::optional<std::int32_t> paletteRow,
                      const std::string& output, CReplaceBatch* batch)
{
    bool written;
    if (paletteRow)
    {
        CSpriteImage display;
        display = source;
        ApplyPaletteRow(source, display, *paletteRow);
        written = display.SaveBMP(output.c_str(), batch);
    }
    else
    {
        written = source.SaveBMP(output.c_str(), batch);
    }
    return written ? std::string() : kExportBmpFailedMessage;
}

std::string SaveSheet(const CSpriteImage& source, FileKind inputKind, const std::string& input,
                      const std::string& output, const ConversionSettings& settings)
{
    OwnedTrailingBlock own;
    const OwnedTrailingBlock* trailing = nullptr;
    if (settings.target == FileKind::Spr)
    {
        if (inputKind == FileKind::Spr)
        {
            // The viewer would go on without the block; a converter that did
            // so would quietly drop bytes nobody can recreate.
            if (!LoadTrailingBlock(input, own))
                return kReadTrailingFailedMessage;
            trailing = &own;
        }
        else
        {
            trailing = settings.trailingFrom;
        }
    }
    const SpriteSaveResult result =
        SaveSpriteFile(&source, output.c_str(), LayoutOf(settings.target),
                       trailing != nullptr ? trailing->data.get() : nullptr,
                       trailing != nullptr ? trailing->size : 0, settings.batch);
    return SpriteSaveMessage(result);
}

} // namespace

std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings)
{
    const FileKind inputKind = KindOfPath(input);
    CSpriteImage source;
    if (const char* failure = LoadSheet(input, inputKind, source))
        return failure;
    if (settings.target == FileKind::Bmp)
        return ExportBmp(source, settings.paletteRow, output, settings.batch);
    return SaveSheet(source, inputKind, input, output, settings);
}
