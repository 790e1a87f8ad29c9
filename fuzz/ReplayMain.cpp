// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target once over every file named on the command line, or
// over every file of a named folder, outside libFuzzer: the committed corpus
// and the inputs that once crashed become an ordinary test.
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace
{

std::vector<std::filesystem::path> InputsNamedBy(const std::filesystem::path& argument)
{
    if (!std::filesystem::is_directory(argument))
        return {argument};
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(argument))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::vector<std::uint8_t> ReadInput(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i)
    {
        for (const auto& path : InputsNamedBy(argv[i]))
        {
            const std::vector<std::uint8_t> bytes = ReadInput(path);
            std::cout << "replaying " << path.string() << " (" << bytes.size() << " bytes)\n"
                      << std::flush;
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::cout << replayed << " inputs replayed\n";
    return replayed > 0 ? 0 : 1;
}
