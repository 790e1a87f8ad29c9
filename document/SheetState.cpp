// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SheetState.h"

#include "image/SpriteImage.h"

#include <algorithm>

SheetState::SheetState() = default;
SheetState::SheetState(SheetState&&) noexcept = default;
SheetState& SheetState::operator=(SheetState&&) noexcept = default;
SheetState::~SheetState() = default;

SheetRect Union(const SheetRect& a, const SheetRect& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    const std::int32_t left = std::min(a.x, b.x);
    const std::int32_t top = std::min(a.y, b.y);
    const std::int32_t right = std::max(a.x + a.width, b.x + b.width);
    const std::int32_t bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

void SheetChanges::AddColors(std::int32_t first, std::int32_t last)
{
    firstColor = firstColor < 0 ? first : std::min(firstColor, first);
    lastColor = std::max(lastColor, last);
}
