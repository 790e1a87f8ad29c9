// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <string>

// Names and texts taken from files reach a terminal only in a form that
// cannot move the cursor, change colours, or be cut short.

// The length of the well-formed UTF-8 sequence at text[at], or 0 when the
// bytes there are not one (a stray continuation byte, an overlong form, a
// surrogate, a value beyond U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at);

// A file name as it can be shown on a terminal: unchanged when it holds
// only printable, well-formed UTF-8, else quoted as a shell would take it
// back ('a'$'\033''b'), each control character (C0, DEL, C1) and each byte
// that is not UTF-8 escaped.
std::string ShownName(const std::string& name);
// The same, always between quotes, for names inside a message.
std::string QuotedName(const std::string& name);

// The failure in the viewer's words and the reason in brackets; a detail
// taken from the file (a palette's text) shown as a name is.
std::string ShownFailure(Result result);
