// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formats/SpriteFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <stdlib.h>

// A temporary folder for a benchmark's files, removed when it ends. A
// benchmark that cannot set up its files has nothing to measure: it aborts.
class BenchFolder
{
public:
    BenchFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrel-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_folder = pattern;
    }
    ~BenchFolder() { std::filesystem::remove_all(m_folder); }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string Path(const char* name) const { return (m_folder / name).string(); }

    // Writes the bytes as sheet.spr and answers its path.
    std::string WriteSheet(const std::vector<char>& bytes) const
    {
        const std::string path = Path("sheet.spr");
        std::ofstream file(path, std::ios::binary);
        if (!file.write(bytes.data(), std::streamsize(bytes.size())) || (file.close(), !file))
            std::abort();
        return path;
    }

private:
    std::filesystem::path m_folder;
};

// An SPR sheet of random colours and pixels, then `trailing` random bytes.
inline std::vector<char> RandomSheetBytes(std::uint32_t seed, std::size_t trailing = 0)
{
    std::mt19937 random(seed);
    std::vector<char> bytes(kSprSheetBytes + trailing);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}
