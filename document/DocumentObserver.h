// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// A rectangle of the sheet's pixels: x and y its top-left, then its size.
struct SheetRect
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const SheetRect&) const = default;
};

// The smallest rectangle holding both; an empty one adds nothing.
SheetRect Union(const SheetRect& a, const SheetRect& b);

// Why the picture was replaced: a new sheet (Open, a picture opened as a
// sheet, Clear), with a new history, or a step of the history.
enum class Replacement
{
    NewSheet,
    Step,
};

// Told by the document what changed, after it changed. Each view overrides
// what it shows and nothing else; nothing needs to refresh by hand. The
// document's getters already answer the new state when a call arrives.
class IDocumentObserver
{
public:
    // Another picture: its size, depth, pixels and colours may all differ.
    virtual void OnSheetReplaced(Replacement /*why*/) {}
    // The source's (and the display's) pixels in this rectangle.
    virtual void OnPixelsChanged(const SheetRect& /*area*/) {}
    // Source colour entries first to last, both included.
    virtual void OnColorsChanged(std::int32_t /*first*/, std::int32_t /*last*/) {}
    virtual void OnPaletteRowChanged(std::int32_t /*row*/) {}
    // The file name a Save writes, or the file the sheet was read from.
    virtual void OnNameChanged() {}
    virtual void OnLayoutChanged() {}
    virtual void OnModifiedChanged(bool /*modified*/) {}
    // The sheet was written to its own file: what is on disk is the program's.
    virtual void OnSaved() {}
    // What Undo and Redo would do.
    virtual void OnHistoryChanged() {}
    // The selected rectangle, or where a floating block lies.
    virtual void OnSelectionChanged() {}

protected:
    ~IDocumentObserver() = default;
};
