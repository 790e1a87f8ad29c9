// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands that change the sheet, each one step of the history. The
// window names the step in its Undo and Redo items ("Undo Import").
enum class EditKind
{
    Import,
    LoadPalette,
    MatchPalette,
    EditExternally,
    Revert,
    Reload,
    // Palette edits.
    EditColor,
    PasteColor,
    SwapColors,
    CopyColor,
    PasteRow,
    SwapRows,
    SwapIndices,
    SwapIndicesAndPixels,
    Gradient,
    // Saves.
    SaveChanges, // a save that could not keep everything: the sheet as its file now is
    // Pixel edits: the tools' strokes and the selection's commands.
    Pencil,
    Eraser,
    Line,
    Rectangle,
    Fill,
    Cut,
    Paste,
    Delete,
    Move,
    FlipHorizontal,
    FlipVertical,
    // Truecolour art into palette rows.
    ReduceColors,
    ImportColorways,
};

// The step's name as the Edit menu shows it after "Undo " or "Redo ".
const char* EditKindText(EditKind kind);
