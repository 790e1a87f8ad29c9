// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/EditKind.h"
#include "document/PixelEditState.h"
#include "document/PixelFigures.h"

#include <cstdint>
#include <optional>

class CSpriteDocument;

// The drawing tools. Each is made of how it gathers the pointer's points
// and what it does with them (its ink and its figure).
enum class PixelTool
{
    Pencil,
    Eraser,
    Line,
    Rectangle,
    FilledRectangle,
    Fill,
    Picker,
    Select,
};

enum class Gathering
{
    Freehand,  // every point, each joined to the one before
    TwoPoints, // where the press was and where the pointer is
    OnePoint,  // the press alone
};

enum class Ink
{
    Index, // the stroke's index
    Empty, // index 0
    Pick,  // the pixel's index is read, nothing drawn
    Select,
};

enum class Figure
{
    Line,
    Outline,
    Box,
    Flood,
    None,
};

struct ToolTraits
{
    Gathering gathering;
    Ink ink;
    Figure figure;
    EditKind kind; // the step a stroke becomes
};

ToolTraits TraitsOf(PixelTool tool);

// The keys held with the pointer.
struct ToolKeys
{
    bool constrain = false; // a line at 0, 45 or 90 degrees, a square
    bool pick = false;      // a drawing tool picks instead
};

// One press-to-release of a tool on the document, fed by a front end with
// the picture pixels under the pointer. The press decides what happens: a
// press inside a floating block drags it and one outside places it; a
// press inside the selection with the selection tool drags its pixels; a
// drawing tool with the pick key held picks; otherwise the tool draws,
// straight into the sheet, and the release makes its stroke one step.
class CToolStroke
{
public:
    CToolStroke(CSpriteDocument& document, PixelTool tool, std::int32_t index, SheetPoint at,
                ToolKeys keys);
    CToolStroke(const CToolStroke&) = delete;
    CToolStroke& operator=(const CToolStroke&) = delete;

    void Move(SheetPoint at, ToolKeys keys);
    void Release(SheetPoint at, ToolKeys keys);
    // Takes back what the stroke drew; a dragged block stays where it is.
    void Cancel();
    // What the picker read last, if it read anything.
    std::optional<PickedIndex> Picked() const { return m_picked; }

private:
    enum class Mode
    {
        Draw,
        Pick,
        Select,
        Drag,
        Nothing, // the press placed a floating block
    };

    Mode ModeOfPress(SheetPoint at, ToolKeys keys) const;
    PixelRuns FigureTo(SheetPoint at, ToolKeys keys) const;

    CSpriteDocument& m_document;
    ToolTraits m_traits;
    std::int32_t m_index;
    Mode m_mode;
    SheetPoint m_anchor;
    SheetPoint m_last;
    std::optional<PickedIndex> m_picked;
};
