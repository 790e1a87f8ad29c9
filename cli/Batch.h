// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CommandLine.h"

// Converts every input of the command line; answers the exit status.
int RunConversions(const CommandLine& commandLine);
