// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SheetEdits.h"

#include "cli/CommandLine.h"
#include "document/DocumentFiles.h"
#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <memory>

namespace
{

// A palette that would run past the sheet's last entry fails every input
// alike: it is refused before any is read.
bool PrepareReplaceColors(const EditRequest& request, std::vector<SheetEdit>& edits,
                          EditsFailure& failure)
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
    edits.push_back([colors, first](CSpriteDocument& document)
                    { return document.ReplaceColors(*colors, first); });
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

} // namespace

bool PrepareEdits(const std::vector<EditRequest>& requests, std::vector<SheetEdit>& edits,
                  EditsFailure& failure)
{
    edits.clear();
    for (const EditRequest& request : requests)
    {
        switch (request.kind)
        {
        case EditOption::ReplaceColors:
            if (!PrepareReplaceColors(request, edits, failure))
                return false;
            break;
        case EditOption::ReduceColors:
            PrepareReduceColors(request, edits);
            break;
        case EditOption::ImportColorways:
            if (!PrepareColorways(request, edits, failure))
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
