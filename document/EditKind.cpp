// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/EditKind.h"

const char* EditKindText(EditKind kind)
{
    switch (kind)
    {
    case EditKind::Import:
        return "Import";
    case EditKind::LoadPalette:
        return "Load Palette";
    case EditKind::MatchPalette:
        return "Match Palette";
    case EditKind::EditExternally:
        return "Edit Externally";
    case EditKind::Revert:
        return "Revert";
    case EditKind::Reload:
        return "Reload";
    case EditKind::SaveChanges:
        return "Save";
    }
    return "";
}
