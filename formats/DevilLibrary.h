// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <IL/il.h>

#include <string>

// The DevIL functions a BMP import calls. DevIL is loaded when the first
// picture is decoded, not when the program starts: the converter turning
// sheets into pictures, and the viewer until its first import, never pay
// for loading it and the image libraries it pulls in (most of a short
// conversion's start).
struct DevilFunctions
{
    decltype(&ilInit) Init;
    decltype(&ilShutDown) ShutDown;
    decltype(&ilSetMemory) SetMemory;
    decltype(&ilEnable) Enable;
    decltype(&ilOriginFunc) OriginFunc;
    decltype(&ilGenImages) GenImages;
    decltype(&ilBindImage) BindImage;
    decltype(&ilDeleteImages) DeleteImages;
    decltype(&ilLoadL) LoadL;
    decltype(&ilGetInteger) GetInteger;
    decltype(&ilGetPalette) GetPalette;
    decltype(&ilGetData) GetData;
    decltype(&ilConvertImage) ConvertImage;
};

// DevIL's functions, loaded the first time they are asked for; null when
// the library or one of its functions cannot be found, with why in `why`.
const DevilFunctions* LoadDevil(std::string& why);
