// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CSpriteDocument;

// The options that change a sheet's colours or indices. They apply in the
// order given, each through the document's own operation, after the input
// is read (and matched with --match-palette) and before anything is
// written. Adding one: a kind here, its option in CommandLine.cpp, and its
// operation in SheetEdits.cpp.
enum class EditOption
{
    ReplaceColors, // --palette FILE [--palette-at K]
};

struct EditRequest
{
    EditOption kind = EditOption::ReplaceColors;
    std::string argument;
    // ReplaceColors: the first entry replaced, when --palette-at gave it.
    std::optional<std::int32_t> first;
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
