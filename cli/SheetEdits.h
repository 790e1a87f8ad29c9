// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "document/PaletteEdits.h"
#include "image/ColorEntry.h"
#include "reduce/ReduceColors.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CSpriteDocument;

// The options that change a sheet's colours or indices. They apply in the
// order given, each through the document's own operation, after the input
// is read (and matched with --match-palette) and before anything is
// written. Adding one: a kind here, its option in CommandLine.cpp, and its
// operation in SheetEdits.cpp.
enum class EditOption
{
    ReplaceColors,   // --palette FILE [--palette-at K]
    ReduceColors,    // --reduce ROW
    ImportColorways, // --colorways BASE:ROW OTHER:ROW ...
    SetColor,        // --set-color ENTRY=#RRGGBB
    SwapRows,        // --swap-rows A,B
    SwapIndices,     // --swap-entries I,J[,pixels]
    PastePicture,    // --paste FILE@X,Y
};

struct EditRequest
{
    EditOption kind = EditOption::ReplaceColors;
    std::string argument;
    // ReplaceColors: the first entry replaced, when --palette-at gave it.
    std::optional<std::int32_t> first;
    // ReduceColors: the palette row.
    std::int32_t row = 0;
    // ImportColorways: each picture and its palette row, the base first.
    std::vector<std::pair<std::string, std::int32_t>> pictures;
    // ReduceColors and ImportColorways: the run's --dither, --keep-row-colors,
    // --fixed-row-colors and --alpha-threshold; ImportColorways reduces more
    // than 15 colour classes with --reduce-classes.
    ReduceOptions reduce;
    bool reduceClasses = false;
    // SetColor: the entry (0 to 255) and its colour as given.
    std::int32_t entry = 0;
    ColorEntry color{};
    // SwapRows: two rows; SwapIndices: two indices and what moves.
    std::int32_t one = 0;
    std::int32_t other = 0;
    IndexSwap swap = IndexSwap::ColorsOnly;
    // PastePicture: the picture (argument) and where its top-left goes;
    // its colours map onto the palette row (--palette-row, by default 0).
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t pasteRow = 0;
};

// One edit, ready for every input: any file it takes is read once.
using SheetEdit = std::function<Result(CSpriteDocument&)>;

// Why the edits could not be made ready.
struct EditsFailure
{
    std::string file;  // the file that could not be read, with result
    Result result;
    std::string usage; // or a usage error, found only once the file was read
};

bool PrepareEdits(const std::vector<EditRequest>& requests, std::vector<SheetEdit>& edits,
                  EditsFailure& failure);
// Applies the edits in order; the first failure stops them.
Result ApplyEdits(const std::vector<SheetEdit>& edits, CSpriteDocument& document);
