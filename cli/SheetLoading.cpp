#include "cli/SheetLoading.h"

#include "formats/SpriteFile.h"
#include "formats/SpriteMessages.h"
#include "image/SpriteImage.h"

const char* LoadSheet(const std::string& path, FileKind kind, CSpriteImage& image)
{
    switch (kind)
    {
    case FileKind::Bmp:
        return image.LoadBMP(path.c_str()) ? nullptr : kLoadBmpFailedMessage;
    case FileKind::Sp2:
        return image.LoadSP2(path.c_str()) ? nullptr : kLoadSp2FailedMessage;
    case FileKind::Spr:
        return image.LoadSPR(path.c_str()) ? nullptr : kLoadSprFailedMessage;
    }
    return kLoadSprFailedMessage;
}

bool LoadTrailingBlock(const std::string& path, OwnedTrailingBlock& block)
{
    TrailingBlock read;
    if (!ReadTrailingBlock(path.c_str(), read))
        return false;
    block.data.reset(read.data);
    block.size = read.data != nullptr ? read.size : 0;
    return true;
}
