// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The outside tools (Pillow, ImageMagick) that write and decode pictures
// independently of Tavrel.

#include "SpriteFileTestFiles.h"

#include <cstdlib>
#include <fstream>
#include <string>

// Runs a Python script with the system's Pillow; true when it succeeded.
inline bool RunPython(const TempFolder& folder, const std::string& script)
{
    const std::string path = folder.Path("script.py");
    std::ofstream(path) << "from PIL import Image\nimport sys\n" << script << "\n";
    return std::system(("/usr/bin/python3 " + path).c_str()) == 0;
}

inline bool RunConvert(const std::string& arguments)
{
    return std::system(("/usr/bin/convert " + arguments).c_str()) == 0;
}

// What Pillow decodes from a picture: for a palette picture its indices and
// palette (three bytes a colour), for grey its levels scaled to 0-255,
// otherwise its red, green, blue (and alpha) bytes.
struct PillowDecoded
{
    std::string mode;
    Bytes pixels;
    Bytes palette;
};

inline PillowDecoded DecodeWithPillow(const TempFolder& folder, const std::string& picture)
{
    const std::string out = folder.Path("decoded");
    const std::string script = "im = Image.open('" + picture + "')\nmode = im.mode\nout = '" + out +
                               "'\n" +
                               R"(im = im.convert({'1': 'L', 'LA': 'RGBA'}.get(mode, mode))
open(out + '.mode', 'w').write(mode)
open(out + '.pixels', 'wb').write(im.tobytes())
open(out + '.palette', 'wb').write(bytes(im.getpalette() or []) if mode == 'P' else b''))";
    if (!RunPython(folder, script))
        return {};
    const Bytes mode = ReadBytes(out + ".mode");
    return {std::string(mode.begin(), mode.end()), ReadBytes(out + ".pixels"),
            ReadBytes(out + ".palette")};
}
