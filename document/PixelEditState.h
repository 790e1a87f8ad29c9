// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/EditKind.h"
#include "document/PixelFigures.h"

#include <cstdint>
#include <optional>
#include <vector>

// A stroke being drawn: the picture's pixels from before it, and what it
// has drawn so far.
struct StrokeState
{
    EditKind kind = EditKind::Pencil;
    std::vector<std::uint8_t> before;
    SheetRect touched; // every pixel changed, the previews given way included
    SheetRect preview; // a two-point tool's figure now shown
    // Whether the picture's pixels use entries above 15, as it was when
    // the stroke began: then an index stands for its entry of the shown row.
    bool entriesAboveRow = false;
};

// Pixels pasted or lifted from the sheet, drawn into it where they are now
// until they are placed.
struct FloatingBlock
{
    EditKind kind = EditKind::Paste;  // Paste or Move
    std::vector<std::uint8_t> pixels; // rows top first
    // Its size, and where it is: it may reach past the picture's edges,
    // where nothing of it is kept.
    SheetRect area;
    SheetRect origin;                         // where a lifted block came from; empty for a paste
    std::vector<std::uint8_t> before;         // the whole picture before the lift or the paste
    std::vector<std::uint8_t> under;          // the same, with a lifted block's origin emptied
    std::optional<SheetRect> selectionBefore; // what a dropped paste gives back
};

// Whether index 0 in a pasted or moved block lets the sheet show through.
enum class ZeroInPaste
{
    Transparent,
    Opaque,
};

// The document's pixel edits in progress and its selection.
struct PixelEditState
{
    std::optional<SheetRect> selection; // inside the picture; none while a block floats
    std::optional<StrokeState> stroke;
    std::optional<FloatingBlock> floating;
    ZeroInPaste zero = ZeroInPaste::Transparent; // a choice of the user's, kept by Forget

    // A new sheet starts with no edit in progress and nothing selected.
    void Forget()
    {
        selection.reset();
        stroke.reset();
        floating.reset();
    }
};

// A picked pixel: the index to draw it again with, and the palette row to
// show for a pixel that holds an entry above 15.
struct PickedIndex
{
    std::int32_t index = 0;
    std::optional<std::int32_t> row;

    bool operator==(const PickedIndex&) const = default;
};
