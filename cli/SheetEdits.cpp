// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SheetEdits.h"

#include "cli/CommandLine.h"
#include "document/DocumentFiles.h"
#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <memory>

namespace
{
constexpr std::int32_t kIndexedBits = 8;

// Whether a --reduce or --colorways comes after the request.
bool ReducesLater(const std::vector<EditRequest>& requests, std::size_t after)
{
    return std::any_of(requests.begin() + std::ptrdiff_t(after) + 1, requests.end(),
                       [](const EditRequest& request)
                       {
                           return request.kind == EditOption::ReduceColors ||
                                  request.kind == EditOption::ImportColorways;
                       });
}

// A palette that would run past the sheet's last entry fails every input
// alike: it is refused before any is read. A picture without indices takes
// a palette only for a reduction after it, which fits the picture into
// those colours; else the palette would be dropped unseen.
bool PrepareReplaceColors(const EditRequest& request, bool forReduction,
                          std::vector<SheetEdit>& edits, EditsFailure& failure)
{
    auto colors = std::make_shared<std::vector<ColorEntry>>();
    if (Result read = LoadPaletteColors(request.argument, *colors); !read)
    {
        failure = {request.argument, read, {}};
        return false;
    }
    const std::int32_t first = request.first.value_or(0);
    if (first + std::int64_t(colors->size()) > kSprColorCount)
    {
        failure.usage = "--palette-at " + std::to_string(first) + " leaves room for " +
                        std::to_string(kSprColorCount - first) + " colours, but " +
                        QuotedName(request.argument) + " has " +
                        std::to_string(colors->size());
        return false;
    }
    edits.push_back(
        [colors, first, forReduction](CSpriteDocument& document)
        {
            const std::int32_t bits = document.Source()->GetBitsPerPixel();
            if (bits != kIndexedBits && !forReduction)
                return WithMessage(Failure(Reason::NoColorTable, bits),
                                   Message::LoadPaletteFailed);
            return document.ReplaceColors(*colors, first);
        });
    return true;
}

void PrepareReduceColors(const EditRequest& request, std::vector<SheetEdit>& edits)
{
    edits.push_back([row = request.row, options = request.reduce](CSpriteDocument& document)
                    { return document.ReduceColors(row, options); });
}

// The pictures are read once, for every input.
bool PrepareColorways(const EditRequest& request, std::vector<SheetEdit>& edits,
                      EditsFailure& failure)
{
    auto pictures = std::make_shared<std::vector<CSpriteImage>>(request.pictures.size());
    ColorwayRequest colorways;
    for (std::size_t i = 0; i < request.pictures.size(); ++i)
    {
        const auto& [path, row] = request.pictures[i];
        if (Result read = ReadPictureFile(path, (*pictures)[i]); !read)
        {
            failure = {path, read, {}};
            return false;
        }
        colorways.pictures.push_back(&(*pictures)[i]);
        colorways.rows.push_back(row);
    }
    colorways.reduce = request.reduceClasses;
    colorways.options = request.reduce;
    edits.push_back([pictures, colorways](CSpriteDocument& document)
                    { return document.ImportColorways(colorways); });
    return true;
}

// The colour is rounded to a colour word as it enters, as in the window.
void PrepareSetColor(const EditRequest& request, std::vector<SheetEdit>& edits)
{
    edits.push_back([entry = request.entry, color = request.color](CSpriteDocument& document)
                    { return document.SetColor(entry, color); });
}

void PrepareSwapRows(const EditRequest& request, std::vector<SheetEdit>& edits)
{
    edits.push_back([a = request.one, b = request.other](CSpriteDocument& document)
                    { return document.SwapRows(a, b); });
}

void PrepareSwapIndices(const EditRequest& request, std::vector<SheetEdit>& edits)
{
    edits.push_back([i = request.one, j = request.other, what = request.swap](
                        CSpriteDocument& document) { return document.SwapIndices(i, j, what); });
}

// A pasted picture maps onto the shown palette row, as Paste in the window,
// and is placed at once; the picture is read once, for every input.
bool PreparePaste(const EditRequest& request, std::vector<SheetEdit>& edits,
                  EditsFailure& failure)
{
    auto picture = std::make_shared<CSpriteImage>();
    if (Result read = ReadPictureFile(request.argument, *picture); !read)
    {
        failure = {request.argument, read, {}};
        return false;
    }
    edits.push_back(
        [picture, at = SheetPoint{request.x, request.y},
         row = request.pasteRow](CSpriteDocument& document)
        {
            const std::int32_t shown = document.PaletteRow();
            document.ChoosePaletteRow(row);
            Result pasted = document.PastePicture(*picture, at);
            if (pasted)
                document.PlaceFloating();
            document.ChoosePaletteRow(shown);
            return pasted;
        });
    return true;
}

} // namespace

bool PrepareEdits(const std::vector<EditRequest>& requests, std::vector<SheetEdit>& edits,
                  EditsFailure& failure)
{
    edits.clear();
    for (std::size_t i = 0; i < requests.size(); ++i)
    {
        const EditRequest& request = requests[i];
        switch (request.kind)
        {
        case EditOption::ReplaceColors:
            if (!PrepareReplaceColors(request, ReducesLater(requests, i), edits, failure))
                return false;
            break;
        case EditOption::ReduceColors:
            PrepareReduceColors(request, edits);
            break;
        case EditOption::ImportColorways:
            if (!PrepareColorways(request, edits, failure))
                return false;
            break;
        case EditOption::SetColor:
            PrepareSetColor(request, edits);
            break;
        case EditOption::SwapRows:
            PrepareSwapRows(request, edits);
            break;
        case EditOption::SwapIndices:
            PrepareSwapIndices(request, edits);
            break;
        case EditOption::PastePicture:
            if (!PreparePaste(request, edits, failure))
                return false;
            break;
        }
    }
    return true;
}

Result ApplyEdits(const std::vector<SheetEdit>& edits, CSpriteDocument& document)
{
    for (const SheetEdit& edit : edits)
        if (Result applied = edit(document); !applied)
            return applied;
    return {};
}
