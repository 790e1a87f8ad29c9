// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PictureFormat.h"

#include "formats/BmpFile.h"
#include "formats/PaletteRow.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <cctype>

namespace
{

bool EndsWithNoCase(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - std::ptrdiff_t(ending.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

} // namespace

PictureFormat PictureFormatForPath(const std::string& path)
{
    return EndsWithNoCase(path, ".png") ? PictureFormat::Png : PictureFormat::Bmp;
}

Result LoadPicture(const std::string& path, PictureFormat format, CSpriteImage& image,
                   ImportOutcome* outcome)
{
    if (format == PictureFormat::Bmp)
        return LoadBmpPicture(path.c_str(), image, outcome);
    if (Result loaded = LoadPngFile(path.c_str(), image, outcome); !loaded)
        return WithMessage(loaded, Message::LoadPngFailed);
    return {};
}

Result SavePicture(const CSpriteImage& image, const std::string& path, const ExportOptions& options,
                   CReplaceBatch* batch)
{
    if (options.format == PictureFormat::Png)
    {
        const PngWriteOptions png{options.paletteRow < 0 ? kPngWholeTable : options.paletteRow,
                                  options.transparentIndexZero};
        if (Result saved = SavePngFile(image, path.c_str(), png, batch); !saved)
            return WithMessage(saved, Message::ExportPngFailed);
        return {};
    }
    if (options.paletteRow < 0)
        return SaveBmpPicture(image, path.c_str(), batch);
    CSpriteImage shown;
    shown = image;
    ApplyPaletteRow(image, shown, options.paletteRow);
    return SaveBmpPicture(shown, path.c_str(), batch);
}
