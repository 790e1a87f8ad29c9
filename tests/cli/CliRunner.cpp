#include "CliRunner.h"

#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <cstring>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace
{

int Spawn(const std::string& folder, const std::vector<std::string>& command,
          const std::string& outPath, const std::string& errPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string AsText(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

} // namespace

CliRun RunConvert(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{TAVREL_CONVERT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(folder, command);
}

CliRun RunProgram(const TempFolder& folder, const std::vector<std::string>& command)
{
    const std::string outPath = folder.Path(".stdout");
    const std::string errPath = folder.Path(".stderr");
    CliRun run;
    run.status = Spawn(folder.Root().string(), command, outPath, errPath);
    run.out = AsText(ReadBytes(outPath));
    run.err = AsText(ReadBytes(errPath));
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return run;
}

std::string RunOnTerminal(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    std::string line = TAVREL_CONVERT;
    for (const std::string& argument : arguments)
        line += " '" + argument + "'";
    const std::string outPath = folder.Path(".terminal");
    Spawn(folder.Root().string(), {"/usr/bin/script", "-qec", line, "/dev/null"}, outPath,
          outPath + ".err");
    const std::string shown = AsText(ReadBytes(outPath));
    std::filesystem::remove(outPath);
    std::filesystem::remove(outPath + ".err");
    return shown;
}

std::vector<std::uint8_t> RandomSpr(unsigned seed, std::size_t trailingSize)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kSprSheetBytes + trailingSize; ++i)
        bytes.push_back(std::uint8_t(random()));
    for (std::size_t i = 1; i < kSprPaletteBytes; i += 2)
        bytes[i] &= 0x7F; // bit 15 of a colour word is not kept by a save
    return bytes;
}

std::vector<std::uint8_t> RandomSp2(unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(256 * 128);
    for (std::uint8_t& byte : bytes)
        byte = std::uint8_t(random());
    return bytes;
}

void WriteTrueColourBmp(const std::string& path, int width, int height)
{
    CSpriteImage picture;
    picture.Create(width, height, 24);
    std::memset(picture.GetPixels(), 0x80, std::size_t(picture.GetPixelBytes()));
    picture.SaveBMP(path.c_str());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}
