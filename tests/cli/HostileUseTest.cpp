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
    EXPECT_EQ(run.err, "tavrel-convert: a.spr: Could not export to BMP file. ('o/a.bmp' is "
                       "already written from 'b.spr')\n"
                       "tavrel-convert: c.spr: Could not export to BMP file. ('o/c.bmp' is "
                       "already written from 'd.spr')\n");
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

// A low limit on open descriptors finishes the batch's chunks sooner; it
// fails no file.
TEST(HostileUse, FewDescriptorsStillConvertEveryFile)
{
    constexpr int kFiles = 100;
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    std::string inputs;
    for (int i = 0; i < kFiles; ++i)
    {
        WriteBytes(folder.Path("s" + std::to_string(i) + ".spr"), RandomSpr(8, 0));
        inputs += " s" + std::to_string(i) + ".spr";
    }
    const CliRun run = RunShell(folder, "ulimit -n 40 && $C" + inputs + " --to png -o o");
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 300);
    EXPECT_EQ(FileCount(folder.Root() / "o"), std::size_t(kFiles));
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

// Names and texts from files reach the terminal quoted as a shell would
// read them back: control characters (C0, DEL, C1) and bytes that are not
// UTF-8 escaped, in failures, in --info's lines and in a palette's words.
TEST(HostileUse, NamesAndTextsFromFilesAreQuoted)
{
    TempFolder folder;
    const std::pair<std::string, std::string> names[] = {
        {"e\033[31mvil.spr", "'e'$'\\033''[31mvil.spr'"},
        {"csi\233.spr", "'csi'$'\\233''.spr'"},           // a byte that is not UTF-8
        {"c1\302\233.spr", "'c1'$'\\302\\233''.spr'"},  // U+009B, a C1 control
        {"caf\303\251.spr", "caf\303\251.spr"},           // plain UTF-8 is shown as is
    };
    for (const auto& [name, shown] : names)
    {
        const CliRun run = RunConvert(folder, {name, "-o", "x.bmp"});
        EXPECT_EQ(run.err, "tavrel-convert: " + shown +
                               ": Error: Could not load SPR file. (No such file or directory)\n");
    }
    // A quote inside such a name is closed, escaped and reopened.
    const CliRun quoted = RunShell(folder, "$C \"$(printf 'it\\047s\\t.spr')\" -o x.bmp");
    EXPECT_EQ(quoted.err, "tavrel-convert: 'it'\\''s'$'\\011''.spr': Error: Could not load SPR "
                          "file. (No such file or directory)\n");

    // A newline in a name would split --info's record in two.
    WriteBytes(folder.Path("two\nlines.spr"), RandomSpr(1, 0));
    EXPECT_EQ(RunConvert(folder, {"--info", "two\nlines.spr"}).out.substr(0, 25),
              "'two'$'\\012''lines.spr': ");
    // The palette's own words, escape sequence and NUL byte included.
    const std::string jasc = std::string("JASC-PAL\r\n0100\r\n1\r\n\033[2J\0 0 0\r\n", 30);
    WriteBytes(folder.Path("bad.pal"), Bytes(jasc.begin(), jasc.end()));
    EXPECT_EQ(RunConvert(folder, {"--info", "bad.pal"}).err,
              "tavrel-convert: bad.pal: Error: Could not load palette file. (bad palette file: "
              "'line 4: \"'$'\\033''[2J'$'\\000''\" is not a number')\n");
}

// A FIFO where a file is to be read is refused at once, whichever option
// names it: nothing waits for a writer that may never come.
TEST(HostileUse, AFifoIsRefusedAtOnceWhereverAFileIsRead)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(9, 0));
    ASSERT_EQ(mkfifo(folder.Path("f.spr").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(folder.Path("f.pal").c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"a.spr --trailing-from f.spr -o o.spr",
         "f.spr: Error: Unable to read sprite data. (not a regular file)"},
        {"f.spr -o o.bmp", "f.spr: Error: Could not load SPR file. (not a regular file)"},
        {"a.spr --palette f.pal -o o.spr",
         "f.pal: Error: Could not load palette file. (not a regular file)"},
    };
    for (const auto& [arguments, error] : cases)
    {
        const CliRun run = RunShell(folder, "timeout 10 $C " + arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.err, "tavrel-convert: " + error + "\n");
    }
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
// folder (what it says going to the file err) and sends it the signal once
// its first outputs are in place; answers the wait status. The signal may
// be ignored from the start, as nohup does for SIGHUP.
int RunAndSignal(const TempFolder& folder, std::vector<std::string> arguments, int signal,
                 bool ignoredAtStart = false)
{
    fs::remove_all(folder.Path("o"));
    fs::create_directory(folder.Path("o"));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const std::string err = folder.Path("err");
    const pid_t child = fork();
    if (child == 0)
    {
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        if (ignoredAtStart)
            std::signal(signal, SIG_IGN);
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

// The number of files the message says were done, or -1 without one.
long CountInMessage(const std::string& message, const std::string& signalName, int total)
{
    const std::string before = "tavrel-convert: stopped by " + signalName + " after ";
    const std::string after = " of " + std::to_string(total) + " files\n";
    if (message.rfind(before, 0) != 0 || message.size() <= before.size() + after.size() ||
        message.compare(message.size() - after.size(), after.size(), after) != 0)
        return -1;
    return std::stol(message.substr(before.size()));
}

// Each signal caught ends the program with 128 + the signal, after the
// files converted so far are in place, whole, as many as it says, and no
// temporary file is left. A signal ignored at the start stays ignored.
TEST(HostileUse, SignalsStopTheBatchKeepingWhatIsDone)
{
    constexpr int kFiles = 1000; // enough that the signal comes before the end
    TempFolder folder;
    std::vector<std::string> arguments = {TAVREL_CONVERT, "--to", "bmp", "-o", folder.Path("o")};
    for (int i = 0; i < kFiles; ++i)
    {
        arguments.push_back(folder.Path("s" + std::to_string(i) + ".spr"));
        WriteBytes(arguments.back(), RandomSpr(8, 0));
    }
    const Bytes expected = ExportedBmp(folder, "s0.spr");
    const std::pair<int, const char*> caught[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const auto& [signal, name] : caught)
    {
        SCOPED_TRACE(name);
        const int status = RunAndSignal(folder, arguments, signal);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << status;
        const std::set<std::string> done = FileNames(folder.Root() / "o");
        for (const std::string& name : done) // never a temporary .tavrel- file
        {
            EXPECT_EQ(name.front(), 's') << name;
            EXPECT_EQ(ReadBytes(folder.Root() / "o" / name), expected) << name;
        }
        EXPECT_LT(done.size(), std::size_t(kFiles));
        const Bytes message = ReadBytes(folder.Path("err"));
        EXPECT_EQ(CountInMessage({message.begin(), message.end()}, name, kFiles),
                  long(done.size()));
    }

    const int ignored = RunAndSignal(folder, arguments, SIGHUP, true);
    EXPECT_TRUE(WIFEXITED(ignored) && WEXITSTATUS(ignored) == 0) << ignored;
    EXPECT_EQ(FileCount(folder.Root() / "o"), std::size_t(kFiles));

    // SIGKILL cannot be caught; then the unnamed temporary file leaves nothing.
    const int probe = open(folder.Root().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0)
        GTEST_SKIP() << "this file system has no unnamed files (O_TMPFILE)";
    close(probe);
    const int killed = RunAndSignal(folder, arguments, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL);
    for (const std::string& name : FileNames(folder.Root() / "o"))
        EXPECT_EQ(name.front(), 's') << name;
}

} // namespace
