// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Conversion.h"

#include "cli/TerminalText.h"

#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"

namespace
{

// An SPR input keeps its own block; a picture or SP2 input takes the one asked for.
Result OpenInput(CSpriteDocument& document, const std::string& input,
                 const ConversionSettings& settings)
{
    const FileKind inputKind = KindOfPath(input);
    const CTrailingBlock noBlock;
    const CTrailingBlock& trailingFrom = settings.trailingFrom ? *settings.trailingFrom : noBlock;
    if (IsPictureKind(inputKind))
        return document.ImportAsNew(input, LayoutOf(settings.target), trailingFrom);

    const bool keepsTrailing = inputKind == FileKind::Spr && settings.target == FileKind::Spr;
    // The viewer goes on without a block it cannot read; a converter that
    // did so would quietly drop bytes nobody can recreate.
    const OpenOutcome opened =
        document.Open(input, keepsTrailing ? TrailingBlockUse::Read : TrailingBlockUse::Skip);
    if (!opened.result)
        return opened.result;
    if (inputKind != FileKind::Spr)
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
    const FileKind target = settings.target;
    if (IsPictureKind(target))
        return document.ExportPicture(
            output,
            {PictureFormatOf(target), settings.paletteRow.value_or(-1), settings.transparentZero},
            settings.batch);
    if (IsPaletteKind(target))
        return document.SavePalette(output, PaletteFormatOf(target), settings.paletteRow,
                                    settings.batch);
    return document.SaveAsLayout(output, LayoutOf(target), settings.batch,
                                 settings.lossy ? LossySave::Accept : LossySave::Refuse);
}

} // namespace

Result Convert(const std::string& input, const std::string& output,
               const ConversionSettings& settings)
{
    if (IsPaletteKind(KindOfPath(input)))
        return ConvertPaletteFile(input, output, PaletteFormatOf(settings.target),
                                  settings.paletteRow, settings.batch);
    CSpriteDocument document;
    if (Result opened = OpenInput(document, input, settings); !opened)
        return opened;
    if (Result changed = ChangeColors(document, settings); !changed)
        return changed;
    return WriteOutput(document, output, settings);
}

std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings)
{
    return ShownFailure(Convert(input, output, settings));
}

Result ReadTrailingFrom(const std::string& path, CTrailingBlock& block)
{
    if (Result read = CTrailingBlock::Read(path.c_str(), block); !read)
        return WithMessage(read, Message::ReadTrailingFailed);
    return {};
}
