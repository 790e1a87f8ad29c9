#pragma once

// Sheets for the PNG, palette and mapping tests, and the outside tools
// (Pillow, ImageMagick) that write and decode their files independently.

#include "SpriteFileTestFiles.h"

#include "formats/SpriteFile.h"

#include <cstdlib>
#include <fstream>
#include <string>

// A sheet as an SPR file gives it: 4-bit indices and 256 colours from
// random colour words.
inline CSpriteImage RandomSheet(std::uint32_t seed, int width = kSheetWidth,
                                int height = kSprSheetHeight)
{
    CSpriteImage sheet;
    sheet.Create(width, height, 8);
    const Bytes pixels = RandomBytes(seed, std::size_t(width) * std::size_t(height));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        sheet.GetPixels()[i] = pixels[i] & 0x0F;
    sheet.m_colorTable.SetSize(kSprColorCount);
    const Bytes words = RandomBytes(seed + 1, 2 * kSprColorCount);
    for (int i = 0; i < kSprColorCount; ++i)
        sheet.m_colorTable.SetAt(
            i, ColorWordToEntry(std::uint16_t(words[2 * i] | words[2 * i + 1] << 8)));
    return sheet;
}

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

// What Pillow decodes from a PNG: for a palette picture its indices and
// palette (three bytes a colour), for grey its levels scaled to 0-255,
// otherwise its red, green, blue (and alpha) bytes.
struct PillowDecoded
{
    std::string mode;
    Bytes pixels;
    Bytes palette;
};

inline PillowDecoded DecodeWithPillow(const TempFolder& folder, const std::string& png)
{
    const std::string out = folder.Path("decoded");
    const std::string script = "im = Image.open('" + png + "')\nmode = im.mode\nout = '" + out +
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
