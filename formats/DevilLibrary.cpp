// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/DevilLibrary.h"

#include <dlfcn.h>

namespace
{

struct LoadedDevil
{
    DevilFunctions functions{};
    bool loaded = false;
    std::string why;
};

// As the process resolves the name, as if it had linked DevIL: a test or a
// preloaded library that stands in front of DevIL is called, as it would be.
template <typename Function>
bool Find(const char* name, Function& function, std::string& why)
{
    function = reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
    if (!function)
        why = std::string("DevIL has no ") + name;
    return function != nullptr;
}

LoadedDevil Load()
{
    LoadedDevil devil;
    // Never closed: DevIL stays for the rest of the process.
    if (!dlopen(TAVREL_DEVIL_LIBRARY, RTLD_NOW | RTLD_GLOBAL))
    {
        const char* error = dlerror();
        devil.why = std::string("DevIL could not be loaded: ") +
                    (error ? error : TAVREL_DEVIL_LIBRARY);
        return devil;
    }
    DevilFunctions& il = devil.functions;
    std::string& why = devil.why;
    devil.loaded = Find("ilInit", il.Init, why) &&
                   Find("ilShutDown", il.ShutDown, why) &&
                   Find("ilSetMemory", il.SetMemory, why) &&
                   Find("ilEnable", il.Enable, why) &&
                   Find("ilOriginFunc", il.OriginFunc, why) &&
                   Find("ilGenImages", il.GenImages, why) &&
                   Find("ilBindImage", il.BindImage, why) &&
                   Find("ilDeleteImages", il.DeleteImages, why) &&
                   Find("ilLoadL", il.LoadL, why) &&
                   Find("ilGetInteger", il.GetInteger, why) &&
                   Find("ilGetPalette", il.GetPalette, why) &&
                   Find("ilGetData", il.GetData, why) &&
                   Find("ilConvertImage", il.ConvertImage, why);
    return devil;
}

} // namespace

const DevilFunctions* LoadDevil(std::string& why)
{
    static const LoadedDevil devil = Load(); // once, whatever thread asks first
    why = devil.why;
    return devil.loaded ? &devil.functions : nullptr;
}
