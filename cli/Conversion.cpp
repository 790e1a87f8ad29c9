#include "cli/Conversion.h"

#include "doc/SpriteDocument.h"

namespace
{

// An SPR input keeps its own block; a BMP or SP2 input takes the one asked for.
Result OpenInput(CSpriteDocument& document, const std::string& input,
                 const ConversionSettings& settings)
{
    const FileKind inputKind = KindOfPath(input);
    const CTrailingBlock noBlock;
    const CTrailingBlock& trailingFrom = settings.trailingFrom ? *settings.trailingFrom : noBlock;
    if (inputKind == FileKind::Bmp)
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

} // namespace

Result Convert(const std::string& input, const std::string& output,
               const ConversionSettings& settings)
{
    CSpriteDocument document;
    if (Result opened = OpenInput(document, input, settings); !opened)
        return opened;
    if (settings.target == FileKind::Bmp)
        return settings.paletteRow
                   ? document.ExportPaletteRow(output, *settings.paletteRow, settings.batch)
                   : document.Export(output, settings.batch);
    return document.SaveAsLayout(output, LayoutOf(settings.target), settings.batch,
                                 settings.lossy ? LossySave::Accept : LossySave::Refuse);
}

std::string ConvertFile(const std::string& input, const std::string& output,
                        const ConversionSettings& settings)
{
    return FullText(Convert(input, output, settings));
}

Result ReadTrailingFrom(const std::string& path, CTrailingBlock& block)
{
    if (Result read = CTrailingBlock::Read(path.c_str(), block); !read)
        return WithMessage(read, Message::ReadTrailingFailed);
    return {};
}
