// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/SheetState.h"
#include "image/ColorEntry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CSpriteImage;

// One change of the sheet that can be taken back and given again. A step
// holds only the part of the sheet it changed, in the state the sheet is not
// in: before the change once it is done, after it once it is undone. So Undo
// and Redo both trade what the step holds with what the sheet holds, and a
// command is a step built with the new state and done once.
class IUndoStep
{
public:
    virtual ~IUndoStep() = default;
    virtual void Undo(SheetState& sheet, SheetChanges& changes) = 0;
    virtual void Redo(SheetState& sheet, SheetChanges& changes) = 0;
    // The memory the step holds, for the history's bound.
    virtual std::size_t Bytes() const = 0;
};

// A step whose Undo and Redo are the same trade.
class CTradeStep : public IUndoStep
{
public:
    void Undo(SheetState& sheet, SheetChanges& changes) final { Trade(sheet, changes); }
    void Redo(SheetState& sheet, SheetChanges& changes) final { Trade(sheet, changes); }

protected:
    virtual void Trade(SheetState& sheet, SheetChanges& changes) = 0;
};

// Another picture in place of the source, and with it, when given, another
// trailing block and layout (a Revert reads both from the file again).
class CSheetStep final : public CTradeStep
{
public:
    explicit CSheetStep(std::unique_ptr<CSpriteImage> picture,
                        std::optional<CTrailingBlock> trailing = std::nullopt,
                        std::optional<SpriteLayout> layout = std::nullopt);
    ~CSheetStep() override;
    std::size_t Bytes() const override;

private:
    void Trade(SheetState& sheet, SheetChanges& changes) override;

    std::unique_ptr<CSpriteImage> m_picture;
    std::optional<CTrailingBlock> m_trailing;
    std::optional<SpriteLayout> m_layout;
};

// Source colour entries first to first + colours - 1. The table must hold them.
class CColorsStep final : public CTradeStep
{
public:
    CColorsStep(std::int32_t first, std::vector<ColorEntry> colors);
    std::size_t Bytes() const override;

private:
    void Trade(SheetState& sheet, SheetChanges& changes) override;

    std::int32_t m_first;
    std::vector<ColorEntry> m_colors;
};

// The source's pixel bytes in a rectangle inside the picture, at the
// picture's depth.
class CPixelsStep final : public CTradeStep
{
public:
    CPixelsStep(const SheetRect& area, std::vector<std::uint8_t> bytes);
    // A step holding the pixels the image has now in the area, for a change
    // that is made in place and recorded after.
    static std::unique_ptr<CPixelsStep> Capture(const CSpriteImage& image, const SheetRect& area);
    std::size_t Bytes() const override;
    const SheetRect& Area() const { return m_area; }

private:
    void Trade(SheetState& sheet, SheetChanges& changes) override;

    SheetRect m_area;
    std::vector<std::uint8_t> m_bytes; // rows of the area, top first
};

// Several steps as one: done in order, undone in reverse.
class CStepGroup final : public IUndoStep
{
public:
    void Add(std::unique_ptr<IUndoStep> step);
    bool IsEmpty() const { return m_steps.empty(); }
    void Undo(SheetState& sheet, SheetChanges& changes) override;
    void Redo(SheetState& sheet, SheetChanges& changes) override;
    std::size_t Bytes() const override;

private:
    std::vector<std::unique_ptr<IUndoStep>> m_steps;
};
