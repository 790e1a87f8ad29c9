// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Conversion.h"

#include "cli/TerminalText.h"

#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"

namespace
{

// An SPR input keeps its own block; a picture or SP2 input takes the one asked for.
Result OpenInput(CSpriteDocument& document, OpenedFile& input, const ConversionSettings& settings)
{
    const FileFormat inputFormat = input.format;
    const CTrailingBlock noBlock;
    const CTrailingBlock& trailingFrom = settings.trailingFrom ? *settings.trailingFrom : noBlock;
    const SpriteLayout targetLayout = FormatInfo(settings.target).layout;
    if (KindOf(inputFormat) == FormatKind::Picture)
        return document.ImportAsNew(input, targetLayout, trailingFrom);

    const bool keepsTrailing = inputFormat == FileFormat::Spr && settings.target == FileFormat::Spr;
    // The viewer goes on without a block it cannot read; a converter that
    // did so would quietly drop bytes nobody can recreate.
    const OpenOutcome opened =
        document.Open(input, keepsTrailing ? TrailingBlockUse::Read : TrailingBlockUse::Skip);
    if (!opened.result)
        return opened.result;
    if (inputFormat != FileFormat::Spr)
        document.SetTrailingBlock(trailingFrom);
    return {};
}

// The colours change before anything is written: first the input's colours
// are read as indices of the table asked for, since the edits work on
// indices; then the edits, in the order given.
Result ChangeColors(CSpriteDocument& document, const ConversionSettings& settings)
{
    if (settings.matchPalette)
        if (Result matched = document.MapOntoColors(*settings.matchPalette, settings.paletteRow);
            !matched)
            return matched;
    return settings.edits ? ApplyEdits(*settings.edits, document) : Result{};
}

Result WriteOutput(CSpriteDocument& document, const std::string& output,
                   const ConversionSettings& settings)
{
    const FileFormat target = settings.target;
    switch (KindOf(target))
    {
    case FormatKind::Picture:
        return document.ExportPicture(
            output, {target, settings.paletteRow.value_or(-1), settings.transparentZero},
            settings.batch);
    case FormatKind::Palette:
        return document.SavePalette(output, FormatInfo(target).palette, settings.paletteRow,
                                    settings.batch);
    case FormatKind::Sheet:
    case FormatKind::Foreign: // no target
        break;
    }
    return document.SaveAsLayout(output, FormatInfo(target).layout, settings.batch,
                                 settings.lossy ? LossySave::Accept : LossySave::Refuse);
}

// A palette file has no sheet: it becomes only another palette file, as is.
Result ConvertPalette(const std::string& input, const std::string& output,
                      const ConversionSettings& settings)
{
    if (KindOf(settings.target) != FormatKind::Palette || (settings.edits && !settings.edits->empty()) || settings.matchPalette)
        return Failure(Reason::PaletteOnlyToPalette);
    return ConvertPaletteFile(input, output, FormatInfo(settings.target).palette,
                              settings.paletteRow, settings.batch);
}

} // namespace

Result Convert(const std::string& input, const std::string& output,
               const ConversionSettings& settings)
{
    // The input is opened once: told, then read from the same stream.
    OpenedFile opened;
    if (Result known = OpenToConvert(input, opened); !known)
        return known;
    if (KindOf(opened.format) == FormatKind::Palette)
        return ConvertPalette(input, output, settings);
    CSpriteDocument document;
    // A conversion is never undone: its steps would only hold memory.
    document.SetHistoryLimit(0);
    if (Result read = OpenInput(document, opened, settings); !read)
        return read;
    if (Result changed = ChangeColors(document, settings); !changed)
        return changed;
    return WriteOutput(document, output, settings);
}

std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings)
{
    return ShownFailure(Convert(input, output, settings));
}
