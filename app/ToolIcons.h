// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/ToolStroke.h"

#include <QCursor>
#include <QIcon>

// Each tool's picture for the tool bar and its cursor over the sheet: a
// cross whose centre is the pixel drawn, with the tool's picture beside it.
QIcon ToolIcon(PixelTool tool);
QCursor ToolCursor(PixelTool tool);
