// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// Icon IDR_MAINFRAME: the window icon at 32 x 32 and 16 x 16.
QIcon LoadAppIcon();
