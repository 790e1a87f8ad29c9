// SPDX-License-Identifier: GPL-3.0-or-later
// tavrel-convert as a careless or hostile user runs it: links between
// outputs, standard output under other names, full disks, size limits, pipes
// whose reader left, renames that fail, signals in the middle of a batch.
#include "CliRunner.h"
#include "core/PngBytes.h"
#include "formats/PngFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// What the sheet exports as, through the sheet itself; left in expected.bmp.
Bytes ExportedBmp(const TempFolder& folder, const std::string& spr)
{
    CSpriteImage sheet;
    const std::string path = folder.Path("expected.bmp");
    EXPECT_TRUE(sheet.LoadSPR(folder.Path(spr).c_str()) && sheet.SaveBMP(path.c_str()));
    return ReadBytes(path);
}

// Links, dangling or not, that lead an output onto another one's file; and
// a link whose ".." leads elsewhere than its spelling says.
TEST(HostileUse, OutputsAreComparedByTheFileTheyReach)
{
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    for (const char* name : {"a.spr", "b.spr", "c.spr", "d.spr"})
        WriteBytes(folder.Path(name), RandomSpr(name[0], 0));
    WriteBytes(folder.Path("o/d.bmp"), Bytes{1});
    fs::create_symlink("b.bmp", folder.Path("o/a.bmp"));
    fs::create_symlink("d.bmp", folder.Path("o/c.bmp"));
    const CliRun run =
        RunConvert(folder, {"b.spr", "a.spr", "d.spr", "c.spr", "--to", "bmp", "-o", "o"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavrel-convert: a.spr: 'o/a.bmp' is already written from 'b.spr'\n"
                       "tavrel-convert: c.spr: 'o/c.bmp' is already written from 'd.spr'\n");
    EXPECT_EQ(ReadBytes(folder.Path("o/b.bmp")), ExportedBmp(folder, "b.spr"));

    fs::create_directories(folder.Path("far/sub"));
    fs::create_symlink("far/sub", folder.Path("lnk"));
    const CliRun far = RunConvert(folder, {"a.spr", "-o", "lnk/../a.spr"});
    EXPECT_EQ(far.status, 0) << far.err;
    EXPECT_EQ(ReadBytes(folder.Path("far/a.spr")), ReadBytes(folder.Path("a.spr")));
}

// Standard output, under any name, gets the bytes through its descriptor:
// a pipe is written, a log it is appended to keeps what it held. What goes
// there must arrive, or the exit status says so.
TEST(HostileUse, StandardOutputIsWrittenWhereItStandsOrTheRunFails)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(4, 0));
    const Bytes bmp = ExportedBmp(folder, "a.spr");
    const CliRun piped = RunShell(folder, "$C a.spr --to bmp -o - | cat >piped");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(ReadBytes(folder.Path("piped")), bmp);
    EXPECT_EQ(RunShell(folder, "echo x >log && $C a.spr -o log --to bmp >>log").status, 0);
    Bytes logged{'x', '\n'};
    logged.insert(logged.end(), bmp.begin(), bmp.end());
    EXPECT_EQ(ReadBytes(folder.Path("log")), logged);

    for (const std::string arguments : {"--version", "--info --json a.spr", "a.spr --to bmp -o -"})
    {
        const CliRun run = RunShell(folder, "$C " + arguments + " >/dev/full");
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    }
}

// A write past the size limit or into a pipe whose reader left fails that
// file, with the reason; the others are converted.
TEST(HostileUse, SizeLimitAndClosedPipeFailOneFile)
{
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    WriteBytes(folder.Path("a.spr"), RandomSpr(6, 0));
    const CliRun limited = RunShell(folder, "ulimit -f 70 && $C a.spr -o big.bmp");
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err,
              "tavrel-convert: a.spr: Could not export to BMP file. (File too large)\n");

    WriteBytes(folder.Path("b.spr"), RandomSpr(7, 0));
    ASSERT_EQ(mkfifo(folder.Path("o/a.bmp").c_str(), 0644), 0);
    const CliRun piped =
        RunShell(folder, "head -c 10 o/a.bmp >/dev/null & sleep 0.2; $C a.spr b.spr --to bmp -o o");
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "tavrel-convert: a.spr: Could not export to BMP file. (Broken pipe)\n");
    EXPECT_EQ(ReadBytes(folder.Path("o/b.bmp")), ExportedBmp(folder, "b.spr"));
}

// Pictures of formats Tavrel does not read, and files neither whose content
// nor whose name tells what they are, are never read as sheets.
TEST(HostileUse, FilesOfOtherFormatsAreRefusedNamingWhatTheyAre)
{
    TempFolder folder;
    WriteBytes(folder.Path("photo.spr"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'});
    WriteBytes(folder.Path("anim"), {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
    WriteBytes(folder.Path("art.TGA"), Bytes(kSprSheetBytes, 0));
    WriteBytes(folder.Path("passwd"), Bytes(kSprSheetBytes, 'x'));
    const std::string reads = ": Tavrel reads SPR, SP2, BMP and PNG)\n";
    const std::pair<std::string, std::string> cases[] = {
        {"photo.spr", "a JPEG picture" + reads},
        {"anim", "a GIF picture" + reads},
        {"art.TGA", "a TGA picture" + reads},
        {"passwd", "neither its content nor its name tells what it is" + reads}};
    for (const auto& [name, reason] : cases)
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{name, "-o", "out.bmp"}, {"--info", name}})
        {
            const CliRun run = RunConvert(folder, arguments);
            EXPECT_EQ(std::pair(run.status, run.err),
                      std::pair(1, "tavrel-convert: " + name +
                                       ": Error: Could not load SPR file. (" + reason));
        }
    EXPECT_EQ(FileCount(folder.Root()), 4u);
}

// A chunk whose length claims a gibibyte, in a file of 800 bytes, costs no
// more memory than the file: the chunks Tavrel has no use for are skipped.
TEST(HostileUse, HugeChunkLengthsAllocateNothing)
{
    TempFolder folder;
    std::vector<std::string> arguments = {"--info"};
    for (const std::string type : {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL"})
    {
        Bytes png = PngSignatureAndHeader(4, 4, 8, 3);
        const Bytes chunk = PngChunk(type, Bytes(780, 'A'), 0x60000000);
        png.insert(png.end(), chunk.begin(), chunk.end() - 4); // the file ends in its data
        WriteBytes(folder.Path(type + ".png"), png);
        arguments.push_back(type + ".png");
    }
    const CliRun run = RunConvert(folder, arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("sCAL.png: Error: Could not load PNG file. (the file ends early)"),
              std::string::npos)
        << run.err;
    EXPECT_LT(LargestChildKiB(), 256 * 1024);
}

// However small its file, a picture is held once; --info reads only its header.
TEST(HostileUse, APictureIsHeldOnceAndInfoReadsOnlyItsHeader)
{
    TempFolder folder;
    {
        CSpriteImage picture; // 128 MiB
        ASSERT_TRUE(picture.Create(8192, 4096, 32));
        std::fill_n(picture.GetPixels(), picture.GetPixelBytes(), 0);
        ASSERT_TRUE(SavePngFile(picture, folder.Path("big.png").c_str(), {}));
    }
    EXPECT_NE(RunConvert(folder, {"big.png", "-o", "big.spr"}).err.find("32-bit picture"),
              std::string::npos);
    EXPECT_LT(LargestChildKiB(), 192 * 1024);
    Bytes png = ReadBytes(folder.Path("big.png"));
    png.resize(png.size() / 2); // cut inside the pixels
    WriteBytes(folder.Path("cut.png"), png);
    EXPECT_EQ(RunConvert(folder, {"--info", "cut.png"}).out, "cut.png: PNG, 8192x4096, 32-bit\n");
}

TEST(HostileUse, NamesWithControlCharactersAreQuoted)
{
    TempFolder folder;
    const CliRun run = RunConvert(folder, {"e\033[31mvil.spr", "-o", "x.bmp"});
    EXPECT_EQ(run.err, "tavrel-convert: 'e'$'\\033''[31mvil.spr': Error: Could not load SPR file. "
                       "(No such file or directory)\n");
    // A quote inside such a name is closed, escaped and reopened, as a shell reads it.
    const CliRun quoted = RunShell(folder, "$C \"$(printf 'it\\047s\\t.spr')\" -o x.bmp");
    EXPECT_EQ(quoted.err, "tavrel-convert: 'it'\\''s'$'\\011''.spr': Error: Could not load SPR "
                          "file. (No such file or directory)\n");
}

// Renames that fail when a chunk of the batch is put in place (here over a
// file bound onto itself, a mount point), in the first chunk or the last,
// fail the run.
TEST(HostileUse, FailedRenamesInTheBatchFailTheRun)
{
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    constexpr int kFiles = 70; // more than one chunk
    std::vector<std::string> arguments = {"--to", "sp2", "--lossy", "-o", "o"};
    for (int i = 0; i < kFiles; ++i)
    {
        arguments.push_back("s" + std::to_string(i) + ".spr");
        WriteBytes(folder.Path(arguments.back()), RandomSpr(i, 0));
    }
    const std::string mounted[] = {folder.Path("o/s3.sp2"), folder.Path("o/s69.sp2")};
    for (const std::string& target : mounted)
    {
        WriteBytes(target, Bytes{1});
        if (mount(target.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
        {
            const int error = errno;
            umount(mounted[0].c_str()); // the folder must be removable after a skip
            GTEST_SKIP() << "cannot bind-mount here (needs root): " << std::strerror(error);
        }
    }
    const CliRun run = RunConvert(folder, arguments);
    for (const std::string& target : mounted)
        umount(target.c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavrel-convert: s3.spr: Error: Could not write sprite file.\n"
                       "tavrel-convert: s69.spr: Error: Could not write sprite file.\n");
    EXPECT_EQ(FileCount(folder.Root() / "o"), std::size_t(kFiles));
}

// Runs the converter, its path first, into a new, empty folder o of the
// folder and sends it the signal once its first outputs are in place;
// answers the wait status.
int RunAndSignal(const TempFolder& folder, std::vector<std::string> arguments, int signal)
{
    fs::remove_all(folder.Path("o"));
    fs::create_directory(folder.Path("o"));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0)
    {
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(98);
    }
    while (FileCount(folder.Root() / "o") == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

// Each signal caught ends the program with 128 + the signal, after the
// files converted so far are in place, whole, and no temporary file is left.
TEST(HostileUse, SignalsStopTheBatchKeepingWhatIsDone)
{
    constexpr int kFiles = 300;
    TempFolder folder;
    std::vector<std::string> arguments = {TAVREL_CONVERT, "--to", "bmp", "-o", folder.Path("o")};
    for (int i = 0; i < kFiles; ++i)
    {
        arguments.push_back(folder.Path("s" + std::to_string(i) + ".spr"));
        WriteBytes(arguments.back(), RandomSpr(8, 0));
    }
    const Bytes expected = ExportedBmp(folder, "s0.spr");
    // SIGKILL cannot be caught; then the unnamed temporary file leaves nothing.
    const int probe = open(folder.Root().c_str(), O_TMPFILE | O_WRONLY, 0600);
    const bool unnamedFiles = probe >= 0 && close(probe) == 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
    {
        SCOPED_TRACE(signal);
        if (signal == SIGKILL && !unnamedFiles)
            GTEST_SKIP() << "this file system has no unnamed files (O_TMPFILE)";
        const int status = RunAndSignal(folder, arguments, signal);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), 128 + signal);
        EXPECT_EQ(WIFSIGNALED(status), signal == SIGKILL);
        const std::set<std::string> done = FileNames(folder.Root() / "o");
        for (const std::string& name : done) // never a temporary .tavrel- file
        {
            EXPECT_EQ(name.front(), 's') << name;
            EXPECT_EQ(ReadBytes(folder.Root() / "o" / name), expected) << name;
        }
        EXPECT_GT(done.size(), 0u);
        EXPECT_LT(done.size(), std::size_t(kFiles));
    }
}

} // namespace
