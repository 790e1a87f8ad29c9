#include "formats/SpriteMessages.h"

const char* SpriteSaveMessage(SpriteSaveResult result)
{
    switch (result)
    {
    case SpriteSaveResult::Written:
    case SpriteSaveResult::NoImage:
        return "";
    case SpriteSaveResult::NoFileName:
        return "Error: No Filename Specified for Save.";
    case SpriteSaveResult::NotEightBit:
        return "Error: Only 8-bit images can be saved as sprite files.";
    case SpriteSaveResult::CannotCreate:
        return "Error: Could not create sprite file.";
    case SpriteSaveResult::WriteFailed:
        return "Error: Could not write sprite file.";
    }
    return "";
}
