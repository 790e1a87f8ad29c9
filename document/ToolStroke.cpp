// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ToolStroke.h"

#include "document/SpriteDocument.h"

#include <algorithm>
#include <cstdlib>

ToolTraits TraitsOf(PixelTool tool)
{
    switch (tool)
    {
    case PixelTool::Pencil:
        return {Gathering::Freehand, Ink::Index, Figure::Line, EditKind::Pencil};
    case PixelTool::Eraser:
        return {Gathering::Freehand, Ink::Empty, Figure::Line, EditKind::Eraser};
    case PixelTool::Line:
        return {Gathering::TwoPoints, Ink::Index, Figure::Line, EditKind::Line};
    case PixelTool::Rectangle:
        return {Gathering::TwoPoints, Ink::Index, Figure::Outline, EditKind::Rectangle};
    case PixelTool::FilledRectangle:
        return {Gathering::TwoPoints, Ink::Index, Figure::Box, EditKind::Rectangle};
    case PixelTool::Fill:
        return {Gathering::OnePoint, Ink::Index, Figure::Flood, EditKind::Fill};
    case PixelTool::Picker:
        return {Gathering::Freehand, Ink::Pick, Figure::None, EditKind::Pencil};
    case PixelTool::Select:
        return {Gathering::TwoPoints, Ink::Select, Figure::None, EditKind::Move};
    }
    return {Gathering::OnePoint, Ink::Pick, Figure::None, EditKind::Pencil};
}

namespace
{
// The corner that makes the rectangle from `from` a square, as far as the
// pointer's longer side.
SheetPoint SquareCorner(SheetPoint from, SheetPoint to)
{
    const std::int32_t side = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    return {from.x + (to.x < from.x ? -side : side), from.y + (to.y < from.y ? -side : side)};
}
} // namespace

CToolStroke::CToolStroke(CSpriteDocument& document, PixelTool tool, std::int32_t index,
                         SheetPoint at, ToolKeys keys)
    : m_document(document), m_traits(TraitsOf(tool)),
      m_index(m_traits.ink == Ink::Empty ? 0 : index), m_mode(ModeOfPress(at, keys)), m_anchor(at),
      m_last(at)
{
    switch (m_mode)
    {
    case Mode::Nothing:
        m_document.PlaceFloating();
        return;
    case Mode::Select:
        m_document.Deselect();
        return;
    case Mode::Pick:
        m_picked = m_document.PickIndex(at);
        return;
    case Mode::Drag:
        return;
    case Mode::Draw:
        break;
    }
    m_document.BeginStroke(m_traits.kind);
    if (m_traits.gathering == Gathering::OnePoint)
        m_document.FillInStroke(at, m_index);
    else if (m_traits.gathering == Gathering::TwoPoints)
        m_document.ReplaceStroke(FigureTo(at, keys), m_index);
    else
        m_document.AddToStroke(LineRuns(at, at), m_index);
}

CToolStroke::Mode CToolStroke::ModeOfPress(SheetPoint at, ToolKeys keys) const
{
    const std::optional<SheetRect> selection = m_document.Selection();
    const bool inSelection = selection && Contains(*selection, at);
    if (m_document.IsFloating())
        return inSelection ? Mode::Drag : Mode::Nothing;
    if (m_traits.ink == Ink::Select)
        return inSelection ? Mode::Drag : Mode::Select;
    if (m_traits.ink == Ink::Pick || keys.pick)
        return Mode::Pick;
    return Mode::Draw;
}

PixelRuns CToolStroke::FigureTo(SheetPoint at, ToolKeys keys) const
{
    switch (m_traits.figure)
    {
    case Figure::Line:
        return LineRuns(m_anchor, keys.constrain ? ConstrainAngle(m_anchor, at) : at);
    case Figure::Outline:
    case Figure::Box:
        return RectangleRuns(m_anchor, keys.constrain ? SquareCorner(m_anchor, at) : at,
                             m_traits.figure == Figure::Box);
    case Figure::Flood:
    case Figure::None:
        break;
    }
    return {};
}

void CToolStroke::Move(SheetPoint at, ToolKeys keys)
{
    switch (m_mode)
    {
    case Mode::Draw:
        if (m_traits.gathering == Gathering::Freehand && at != m_last)
            m_document.AddToStroke(LineRuns(m_last, at), m_index);
        else if (m_traits.gathering == Gathering::TwoPoints)
            m_document.ReplaceStroke(FigureTo(at, keys), m_index);
        break;
    case Mode::Pick:
        if (const std::optional<PickedIndex> picked = m_document.PickIndex(at))
            m_picked = picked;
        break;
    case Mode::Select:
        // A click without a drag leaves nothing selected.
        if (at != m_anchor || m_document.Selection())
            m_document.Select(RectBetween(m_anchor, at));
        break;
    case Mode::Drag:
        m_document.MoveSelection(at.x - m_last.x, at.y - m_last.y);
        break;
    case Mode::Nothing:
        break;
    }
    m_last = at;
}

void CToolStroke::Release(SheetPoint at, ToolKeys keys)
{
    Move(at, keys);
    if (m_mode == Mode::Draw)
        m_document.EndStroke();
    m_mode = Mode::Nothing;
}

void CToolStroke::Cancel()
{
    if (m_mode == Mode::Draw)
        m_document.CancelStroke();
    m_mode = Mode::Nothing;
}
