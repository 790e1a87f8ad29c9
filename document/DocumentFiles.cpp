// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentFiles.h"

#include "formats/TrailingBlock.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

namespace
{

// Checks the opened file for a command that reads files of one kind: the
// format of its content or name, else the command's usual one; a file of
// another kind is refused, saying what the command reads. failed: the
// message a failure to read it then carries.
Result CheckKind(OpenedFile& input, FormatKind kind, FileFormat usual,
                 const std::string& whatIsRead, Message& failed)
{
    const bool ofKind = KindOf(input.format) == kind;
    failed = ReadFailedMessage(ofKind ? input.format : usual);
    if (!input.opened)
        return WithMessage(input.opened, failed);
    if (!ofKind)
        return WithMessage(RefuseFormat(input.format, whatIsRead), failed);
    return {};
}

// Opens the file at path, told by its content, else its name, else taken
// for the usual format; answers whether content or name told it.
bool OpenAs(const std::string& path, FileFormat usual, OpenedFile& input)
{
    std::optional<FileFormat> found;
    input.path = path;
    input.opened = OpenRecognised(path.c_str(), input.file, found);
    input.format = found.value_or(usual);
    return found.has_value();
}

Result ReadImageOfKind(OpenedFile& input, FormatKind kind, FileFormat usual,
                       const std::string& whatIsRead, CSpriteImage& image,
                       ImportOutcome* outcome)
{
    Message failed = Message::None;
    if (Result checked = CheckKind(input, kind, usual, whatIsRead, failed); !checked)
        return checked;
    if (Result read = FormatInfo(input.format).read(input.file, image, outcome); !read)
        return WithMessage(read, failed);
    return {};
}

std::string WhatImportReads()
{
    return "Import reads " + FormatNames({FormatKind::Picture});
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

void OpenToOpen(const std::string& path, OpenedFile& input)
{
    OpenAs(path, FileFormat::Spr, input);
}

void OpenToImport(const std::string& path, OpenedFile& input)
{
    OpenAs(path, FileFormat::Bmp, input);
}

std::string WhatTavrelReads()
{
    return "Tavrel reads " + FormatNames({FormatKind::Sheet, FormatKind::Picture});
}

Result OpenToConvert(const std::string& path, OpenedFile& input, const std::string& whatIsRead)
{
    const bool told = OpenAs(path, FileFormat::Spr, input);
    if (!input.opened || told)
        return {};
    Result refused = Failure(Reason::WrongKindOfFile);
    refused.detail = "neither its content nor its name tells what it is: " + whatIsRead;
    return WithMessage(refused, ReadFailedMessage(FileFormat::Spr));
}

Result FormatToConvert(const std::string& path, FileFormat& format, const std::string& whatIsRead)
{
    OpenedFile input;
    const Result known = OpenToConvert(path, input, whatIsRead);
    format = input.format;
    return known;
}

Result ReadSheetFile(const std::string& path, CSpriteImage& image, SpriteLayout& layout)
{
    OpenedFile input;
    OpenToOpen(path, input);
    return ReadSheetFile(input, image, layout);
}

Result ReadSheetFile(OpenedFile& input, CSpriteImage& image, SpriteLayout& layout)
{
    if (Result read = ReadImageOfKind(input, FormatKind::Sheet, FileFormat::Spr, WhatTavrelReads(),
                                      image, nullptr);
        !read)
        return read;
    layout = FormatInfo(input.format).layout;
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
                     const CTrailingBlock* trailing, CReplaceBatch* batch, IProgress* progress)
{
    SheetSaveStep step = SheetSaveStep::Check;
    Result saved = SaveSpriteFile(image, path.c_str(), layout, trailing, batch, &step, progress);
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
    OpenedFile input;
    OpenToImport(path, input);
    return ReadPictureFile(input, image, outcome);
}

Result ReadPictureFile(OpenedFile& input, CSpriteImage& image, ImportOutcome* outcome)
{
    return ReadImageOfKind(input, FormatKind::Picture, FileFormat::Bmp, WhatImportReads(), image,
                           outcome);
}

Result ReadPictureHeaderFile(const std::string& path, PictureHeader& header)
{
    OpenedFile input;
    OpenToImport(path, input);
    Message failed = Message::None;
    if (Result checked =
            CheckKind(input, FormatKind::Picture, FileFormat::Bmp, WhatImportReads(), failed);
        !checked)
        return checked;
    if (Result read = FormatInfo(input.format).readHeader(input.file, header); !read)
        return WithMessage(read, failed);
    return {};
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
