// tavrel-convert as a careless or hostile user runs it: links between
// outputs, standard output in all its names, full disks, size limits, pipes
// whose reader left, signals in the middle of a batch.
#include "CliRunner.h"

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

// A shell command line in the folder; answers its exit status and stderr.
CliRun RunShell(const TempFolder& folder, const std::string& script)
{
    const TempFolder streams;
    const std::string err = streams.Path("err");
    const int status = std::system(("cd '" + folder.Root().string() +
                                    "' && C=" TAVREL_CONVERT " && { " + script + " ; } 2>" + err)
                                       .c_str());
    const Bytes errBytes = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, {errBytes.begin(), errBytes.end()}};
}

Bytes ExportedBmp(const TempFolder& folder, const std::string& spr)
{
    CSpriteImage sheet;
    const std::string path = folder.Path("expected.bmp");
    EXPECT_TRUE(sheet.LoadSPR(folder.Path(spr).c_str()) && sheet.SaveBMP(path.c_str()));
    const Bytes bytes = ReadBytes(path);
    fs::remove(path);
    return bytes;
}

std::size_t TempFileCount(const fs::path& folder)
{
    std::size_t count = 0;
    for (const std::string& name : FileNames(folder))
        count += name.rfind(".tavrel-", 0) == 0 ? 1 : 0;
    return count;
}

// A link, existing or dangling, that leads an output onto another one's
// file; and a link whose ".." leads elsewhere than its spelling says.
TEST(HostileUse, OutputsAreComparedByTheFileTheyReach)
{
    for (const bool dangling : {false, true})
    {
        SCOPED_TRACE(dangling);
        TempFolder folder;
        WriteBytes(folder.Path("a.spr"), RandomSpr(1, 0));
        WriteBytes(folder.Path("b.spr"), RandomSpr(2, 0));
        fs::create_directory(folder.Path("o"));
        if (!dangling)
        {
            ASSERT_EQ(RunConvert(folder, {"a.spr", "-o", "o/b.bmp"}).status, 0);
        }
        fs::create_symlink("b.bmp", folder.Path("o/a.bmp"));
        const CliRun run = RunConvert(folder, {"b.spr", "a.spr", "--to", "bmp", "-o", "o"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "tavrel-convert: a.spr: 'o/a.bmp' is already written from 'b.spr'\n");
        EXPECT_EQ(ReadBytes(folder.Path("o/b.bmp")), ExportedBmp(folder, "b.spr"));
    }

    TempFolder folder;
    fs::create_directories(folder.Path("far/sub"));
    fs::create_symlink("far/sub", folder.Path("lnk"));
    WriteBytes(folder.Path("a.spr"), RandomSpr(3, 20));
    const CliRun run = RunConvert(folder, {"a.spr", "-o", "lnk/../a.spr"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(folder.Path("far/a.spr")), RandomSpr(3, 20));
}

TEST(HostileUse, StandardOutputIsWrittenWhereItStands)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(4, 0));
    const Bytes bmp = ExportedBmp(folder, "a.spr");
    for (const std::string output : {"-", "/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"})
    {
        SCOPED_TRACE(output);
        // Through a pipe, then appended to a log that keeps its first line.
        const CliRun piped = RunShell(folder, "$C a.spr --to bmp -o " + output + " | cat >piped");
        EXPECT_EQ(piped.status, 0) << piped.err;
        EXPECT_EQ(ReadBytes(folder.Path("piped")), bmp);
        WriteBytes(folder.Path("log"), Bytes{'l', 'o', 'g', '\n'});
        EXPECT_EQ(RunShell(folder, "$C a.spr --to bmp -o " + output + " >>log").status, 0);
        Bytes logged{'l', 'o', 'g', '\n'};
        logged.insert(logged.end(), bmp.begin(), bmp.end());
        EXPECT_EQ(ReadBytes(folder.Path("log")), logged);
    }
    // Any name of the file standard output goes to is that descriptor too.
    EXPECT_EQ(RunShell(folder, "echo x >log && $C a.spr -o log --to bmp >>log").status, 0);
    EXPECT_EQ(ReadBytes(folder.Path("log")).size(), 2 + bmp.size());
    EXPECT_EQ(RunConvert(folder, {"a.spr", "a.spr", "--to", "bmp", "-o", "-"}).status, 2);
    EXPECT_EQ(RunConvert(folder, {"a.spr", "-o", "-"}).status, 2);
}

// What goes to standard output must arrive, or the exit status says so.
TEST(HostileUse, FullStandardOutputFails)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.spr"), RandomSpr(5, 0));
    for (const std::string arguments :
         {"--help", "--version", "--info a.spr", "--info --json a.spr", "a.spr --to bmp -o -"})
    {
        const CliRun run = RunShell(folder, "$C " + arguments + " >/dev/full");
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    }
}

// A write past the size limit or into a pipe whose reader left fails that
// file, with the reason; the others are converted and nothing is left.
TEST(HostileUse, SizeLimitAndClosedPipeFailOneFile)
{
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    WriteBytes(folder.Path("big.bmp"), Bytes(1, 0)); // replaced below
    WriteBytes(folder.Path("a.spr"), RandomSpr(6, 0));
    const CliRun limited =
        RunShell(folder, "ulimit -f 70 && $C a.spr --lossy -o big.sp2 && $C a.spr -o big.bmp");
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err,
              "tavrel-convert: a.spr: Could not export to BMP file. (File too large)\n");
    EXPECT_EQ(ReadBytes(folder.Path("big.bmp")), Bytes(1, 0));
    EXPECT_EQ(TempFileCount(folder.Root()), 0u);

    WriteBytes(folder.Path("b.spr"), RandomSpr(7, 0));
    ASSERT_EQ(mkfifo(folder.Path("o/a.bmp").c_str(), 0644), 0);
    const CliRun piped =
        RunShell(folder, "head -c 10 o/a.bmp >/dev/null & sleep 0.2; $C a.spr b.spr --to bmp -o o");
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "tavrel-convert: a.spr: Could not export to BMP file. (Broken pipe)\n");
    EXPECT_EQ(ReadBytes(folder.Path("o/b.bmp")), ExportedBmp(folder, "b.spr"));
    EXPECT_EQ(TempFileCount(folder.Root() / "o"), 0u);
}

TEST(HostileUse, NamesWithControlCharactersAreQuoted)
{
    TempFolder folder;
    const std::string name = "e\033[31mvil.spr";
    const CliRun run = RunConvert(folder, {name, "-o", "x.bmp"});
    EXPECT_EQ(run.err, "tavrel-convert: 'e'$'\\033''[31mvil.spr': Error: Could not load SPR file. "
                       "(No such file or directory)\n");
    // A quote inside such a name is closed, escaped and reopened, as a shell reads it.
    const CliRun quoted = RunShell(folder, "$C \"$(printf 'it\\047s\\t.spr')\" -o x.bmp");
    EXPECT_EQ(quoted.err, "tavrel-convert: 'it'\\''s'$'\\011''.spr': Error: Could not load SPR "
                          "file. (No such file or directory)\n");
}

// A batch whose last renames fail (here a target that is a mount point,
// which cannot be renamed over) says so in its exit status, in any chunk.
TEST(HostileUse, FailedRenameAtTheEndOfAChunkFailsTheRun)
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
    WriteBytes(folder.Path("o/s3.sp2"), Bytes{1});
    WriteBytes(folder.Path("other"), Bytes{2});
    if (mount(folder.Path("other").c_str(), folder.Path("o/s3.sp2").c_str(), nullptr, MS_BIND,
              nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here (needs root): " << std::strerror(errno);
    const CliRun run = RunConvert(folder, arguments);
    umount(folder.Path("o/s3.sp2").c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tavrel-convert: s3.spr: Error: Could not write sprite file.\n");
    EXPECT_EQ(FileCount(folder.Root() / "o"), std::size_t(kFiles));
    EXPECT_EQ(ReadBytes(folder.Path("o/s3.sp2")), Bytes{1});
}

// The real program on a few hundred files, signalled once its first outputs
// are in place, into a new, empty folder o; answers the wait status.
int RunAndSignal(const TempFolder& folder, int files, int signal)
{
    fs::remove_all(folder.Path("o"));
    fs::create_directory(folder.Path("o"));
    const pid_t child = fork();
    if (child == 0)
    {
        std::vector<std::string> arguments = {TAVREL_CONVERT, "--to", "bmp", "-o", "o"};
        for (int i = 0; i < files; ++i)
            arguments.push_back("s" + std::to_string(i) + ".spr");
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        if (chdir(folder.Root().c_str()) == 0)
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

// Caught signals end the program with 128 + the signal; SIGKILL cannot be
// caught, and then the unnamed temporary file (O_TMPFILE) leaves nothing.
TEST(HostileUse, SignalsStopTheBatchKeepingWhatIsDone)
{
    constexpr int kFiles = 300;
    TempFolder folder;
    for (int i = 0; i < kFiles; ++i)
        WriteBytes(folder.Path("s" + std::to_string(i) + ".spr"), RandomSpr(8, 0));
    const Bytes expected = ExportedBmp(folder, "s0.spr");
    const int probe = open(folder.Root().c_str(), O_TMPFILE | O_WRONLY, 0600);
    const bool unnamedFiles = probe >= 0 && close(probe) == 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
    {
        SCOPED_TRACE(signal);
        if (signal == SIGKILL && !unnamedFiles)
            GTEST_SKIP() << "this file system has no unnamed files (O_TMPFILE)";
        const int status = RunAndSignal(folder, kFiles, signal);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), 128 + signal);
        EXPECT_EQ(WIFSIGNALED(status), signal == SIGKILL);
        const std::set<std::string> done = FileNames(folder.Root() / "o");
        for (const std::string& name : done) // a .tavrel- file fails this too
            EXPECT_EQ(ReadBytes(folder.Root() / "o" / name), expected) << name;
        EXPECT_GT(done.size(), 0u);
        EXPECT_LT(done.size(), std::size_t(kFiles));
    }
}

} // namespace
