// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/EditKind.h"

const char* EditKindText(EditKind kind)
{
    switch (kind)
    {
    case EditKind::Import:
        return "Import";
    case EditKind::LoadPalette:
        return "Load Palette";
    case EditKind::MatchPalette:
        return "Match Palette";
    case EditKind::EditExternally:
        return "Edit Externally";
    case EditKind::Revert:
        return "Revert";
    case EditKind::Reload:
        return "Reload";
    case EditKind::EditColor:
        return "Edit Colour";
    case EditKind::PasteColor:
        return "Paste Colour";
    case EditKind::SwapColors:
        return "Swap Colours";
    case EditKind::CopyColor:
        return "Copy Colour";
    case EditKind::PasteRow:
        return "Paste Row";
    case EditKind::SwapRows:
        return "Swap Rows";
    case EditKind::SwapIndices:
        return "Swap Indices";
    case EditKind::SwapIndicesAndPixels:
        return "Swap Indices and Pixels";
    case EditKind::Gradient:
        return "Gradient";
    case EditKind::SaveChanges:
        return "Save";
    case EditKind::Pencil:
        return "Pencil";
    case EditKind::Eraser:
        return "Eraser";
    case EditKind::Line:
        return "Line";
    case EditKind::Rectangle:
        return "Rectangle";
    case EditKind::Fill:
        return "Fill";
    case EditKind::Cut:
        return "Cut";
    case EditKind::Paste:
        return "Paste";
    case EditKind::Delete:
        return "Delete";
    case EditKind::Move:
        return "Move";
    case EditKind::FlipHorizontal:
        return "Flip Horizontal";
    case EditKind::FlipVertical:
        return "Flip Vertical";
    case EditKind::ReduceColors:
        return "Reduce Colours";
    case EditKind::ImportColorways:
        return "Import Colourways";
    }
    return "";
}
