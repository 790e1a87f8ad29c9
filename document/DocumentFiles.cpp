// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentFiles.h"

#include "formats/TrailingBlock.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

namespace
{

// Reads the image file at path as a command that reads files of one kind:
// the format of its content or name, else the command's usual one; a file
// of another kind is refused, saying what the command reads.
Result ReadImageOfKind(const std::string& path, FormatKind kind, FileFormat usual,
                       const std::string& whatIsRead, CSpriteImage& image, FileFormat& format,
                       ImportOutcome* outcome)
{
    CBinaryFile file;
    std::optional<FileFormat> found;
    const Result opened = OpenRecognised(path.c_str(), file, found);
    format = found.value_or(usual);
    const bool ofKind = KindOf(format) == kind;
    const Message failed = ReadFailedMessage(ofKind ? format : usual);
    if (!opened)
        return WithMessage(opened, failed);
    if (!ofKind)
        return WithMessage(RefuseFormat(format, whatIsRead), failed);
    if (Result read = FormatInfo(format).read(file, image, outcome); !read)
        return WithMessage(read, failed);
    return {};
}

} // namespace

Message ReadFailedMessage(FileFormat format)
{
    switch (format)
    {
    case FileFormat::Spr:
        return Message::LoadSprFailed;
    case FileFormat::Sp2:
        return Message::LoadSp2Failed;
    case FileFormat::Bmp:
        return Message::LoadBmpFailed;
    case FileFormat::Png:
        return Message::LoadPngFailed;
    default:
        return Message::LoadPaletteFailed;
    }
}

Message WriteFailedMessage(FileFormat format)
{
    switch (format)
    {
    case FileFormat::Spr:
    case FileFormat::Sp2:
        return Message::WriteFailed;
    case FileFormat::Bmp:
        return Message::ExportBmpFailed;
    case FileFormat::Png:
        return Message::ExportPngFailed;
    default:
        return Message::SavePaletteFailed;
    }
}

FileFormat FormatToOpen(const std::string& path)
{
    return RecogniseFile(path.c_str()).value_or(FileFormat::Spr);
}

Result ReadSheetFile(const std::string& path, CSpriteImage& image, SpriteLayout& layout)
{
    FileFormat format = FileFormat::Spr;
    const std::string whatIsRead =
        "Tavrel reads " + FormatNames({FormatKind::Sheet, FormatKind::Picture});
    if (Result read = ReadImageOfKind(path, FormatKind::Sheet, FileFormat::Spr, whatIsRead, image,
                                      format, nullptr);
        !read)
        return read;
    layout = FormatInfo(format).layout;
    return {};
}

Result ReadSheetAs(const std::string& path, SpriteLayout layout, CSpriteImage& image)
{
    if (Result loaded = LoadSpriteSheet(path.c_str(), layout, image); !loaded)
        return WithMessage(
            loaded,
            ReadFailedMessage(layout == SpriteLayout::Sp2 ? FileFormat::Sp2 : FileFormat::Spr));
    return {};
}

SpriteLayout LayoutForName(const std::string& path)
{
    const std::optional<FileFormat> named = FormatOfName(path);
    return named && KindOf(*named) == FormatKind::Sheet ? FormatInfo(*named).layout
                                                        : SpriteLayout::Spr;
}

Result SaveSheetFile(const CSpriteImage& image, const std::string& path, SpriteLayout layout,
                     const CTrailingBlock* trailing, CReplaceBatch* batch)
{
    SheetSaveStep step = SheetSaveStep::Check;
    Result saved = SaveSpriteFile(image, path.c_str(), layout, trailing, batch, &step);
    if (saved)
        return saved;
    switch (step)
    {
    case SheetSaveStep::Check:
        return WithMessage(saved, Message::NotEightBit);
    case SheetSaveStep::Create:
        return WithMessage(saved, Message::CannotCreate);
    case SheetSaveStep::Write:
        break;
    }
    return WithMessage(saved, Message::WriteFailed);
}

Result ReadPictureFile(const std::string& path, CSpriteImage& image, ImportOutcome* outcome)
{
    FileFormat format = FileFormat::Bmp;
    return ReadImageOfKind(path, FormatKind::Picture, FileFormat::Bmp,
                           "Import reads " + FormatNames({FormatKind::Picture}), image, format,
                           outcome);
}

FileFormat PictureFormatForName(const std::string& path)
{
    const std::optional<FileFormat> named = FormatOfName(path);
    return named && KindOf(*named) == FormatKind::Picture ? *named : FileFormat::Bmp;
}

Result SavePicture(const CSpriteImage& image, const std::string& path, const ExportOptions& options,
                   CReplaceBatch* batch)
{
    const FileFormatInfo& format = FormatInfo(options.format);
    if (format.write == nullptr)
        return WithMessage(
            RefuseFormat(options.format, "Export writes " + FormatNames({FormatKind::Picture})),
            Message::ExportBmpFailed);
    if (Result saved = format.write(image, path.c_str(), options.paletteRow,
                                    options.transparentIndexZero, batch);
        !saved)
        return WithMessage(saved, WriteFailedMessage(options.format));
    return {};
}

Result ReadTrailingBlockFile(const std::string& path, CTrailingBlock& block)
{
    if (Result read = CTrailingBlock::Read(path.c_str(), block); !read)
        return WithMessage(read, Message::ReadTrailingFailed);
    return {};
}

Result MeasureTrailingBlockFile(const std::string& path, std::int64_t& size)
{
    if (Result measured = MeasureTrailingBlock(path.c_str(), size); !measured)
        return WithMessage(measured, Message::ReadTrailingFailed);
    return {};
}
