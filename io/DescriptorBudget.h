// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// How many written files may wait open at once in one place (a batch, or
// the outputs converted ahead of it), each holding two descriptors (its
// file and its folder), so that two such places and the files being read
// and written stay within the process's descriptor limit: at most `most`,
// at least one.
std::size_t FilesThatMayWaitOpen(std::size_t most);
