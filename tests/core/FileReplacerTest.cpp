#include "io/FileReplacer.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
enum Outcome
{
    Saved = 0,
    NotCreated = 1,
    NotSaved = 2,
};
constexpr int kSkipped = 77;
constexpr uid_t kNobody = 65534;

// Writes `bytes` in pieces of `piece` bytes, ignoring each write's result
// as the sprite writers do: Commit alone must notice a failure.
int Save(const std::string& path, const std::string& bytes, std::size_t piece = 256)
{
    CFileReplacer replacer(path);
    if (!replacer.Begin())
        return NotCreated;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        replacer.File().WriteBlock(bytes.data() + at, std::min(piece, bytes.size() - at));
    return replacer.Commit() ? Saved : NotSaved;
}

// Runs `body` in a child process, so that limits and identities it takes on
// stay there; answers its exit code.
int InChild(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& path, const std::string& bytes, mode_t mode)
{
    std::ofstream(path, std::ios::binary) << bytes;
    chmod(path.c_str(), mode);
}

mode_t ModeOf(const fs::path& path)
{
    struct stat info
    {
    };
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class FileReplacerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.empty());
        chmod(folder.c_str(), 0755); // lets an unprivileged child reach in
    }
    // A test may leave its folder read-only; it must still be emptied.
    void TearDown() override { chmod(folder.c_str(), 0755); }
    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempFolder temp;
    const fs::path folder = temp.Root();
    const std::string oldBytes = std::string(3000, 'o') + "old end";
    const std::string newBytes = std::string(5000, 'n') + "new end";
};
} // namespace

TEST_F(FileReplacerTest, ReplacesTheFileKeepingItsPermissionBits)
{
    Put(folder / "sheet.spr", oldBytes, 0640);
    EXPECT_EQ(Save(folder / "sheet.spr", newBytes), Saved);
    EXPECT_EQ(Contents(folder / "sheet.spr"), newBytes);
    EXPECT_EQ(ModeOf(folder / "sheet.spr"), 0640u);

    const mode_t previousMask = umask(027);
    EXPECT_EQ(Save(folder / "new.spr", newBytes), Saved);
    umask(previousMask);
    EXPECT_EQ(ModeOf(folder / "new.spr"), 0640u);
    EXPECT_EQ(Entries(), (std::set<std::string>{"sheet.spr", "new.spr"}));
}

TEST_F(FileReplacerTest, FileSizeLimitLeavesTheOldFileWhole)
{
    // One block larger than the stream's buffer fails inside fwrite and
    // leaves nothing to flush; small pieces fail when the buffer is flushed.
    for (std::size_t piece : {newBytes.size(), std::size_t{100}})
    {
        Put(folder / "sheet.spr", oldBytes, 0644);
        const int outcome = InChild(
            [&]
            {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = 1000;
                setrlimit(RLIMIT_FSIZE, &limit);
                return Save(folder / "sheet.spr", newBytes, piece);
            });
        EXPECT_EQ(outcome, NotSaved) << piece;
        EXPECT_EQ(Contents(folder / "sheet.spr"), oldBytes) << piece;
        EXPECT_EQ(Entries(), std::set<std::string>{"sheet.spr"}) << piece;
    }
}

TEST_F(FileReplacerTest, UncommittedWriteLeavesNothingBehind)
{
    Put(folder / "sheet.spr", oldBytes, 0644);
    {
        CFileReplacer replacer(folder / "sheet.spr");
        ASSERT_TRUE(replacer.Begin());
        replacer.File().WriteBlock(newBytes.data(), newBytes.size());
    }
    EXPECT_EQ(Contents(folder / "sheet.spr"), oldBytes);
    EXPECT_EQ(Entries(), std::set<std::string>{"sheet.spr"});
}

TEST_F(FileReplacerTest, DevicesArePassedWritesNeverReplaced)
{
    fs::create_symlink("/dev/full", folder / "full");
    EXPECT_EQ(Save("/dev/full", "x"), NotSaved);
    EXPECT_EQ(Save(folder / "full", newBytes), NotSaved);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_TRUE(fs::is_symlink(folder / "full"));

    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0644), 0);
    EXPECT_EQ(Save(folder / "pipe", "abc"), NotCreated); // nobody reads it
    const int reader = open((folder / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(Save(folder / "pipe", "abc"), Saved);
    char received[4] = {};
    EXPECT_EQ(read(reader, received, 3), 3);
    EXPECT_STREQ(received, "abc");
    close(reader);
    EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    EXPECT_EQ(Save(folder, "abc"), NotCreated);
}

TEST_F(FileReplacerTest, LinkedFileIsReplacedAndTheLinkKept)
{
    Put(folder / "real.spr", oldBytes, 0600);
    fs::create_directory(folder / "links");
    fs::create_symlink("../real.spr", folder / "links" / "sheet.spr");
    fs::create_symlink("absent.spr", folder / "dangling.spr");

    EXPECT_EQ(Save(folder / "links" / "sheet.spr", newBytes), Saved);
    EXPECT_EQ(fs::read_symlink(folder / "links" / "sheet.spr"), "../real.spr");
    EXPECT_EQ(Contents(folder / "real.spr"), newBytes);
    EXPECT_EQ(ModeOf(folder / "real.spr"), 0600u);

    EXPECT_EQ(Save(folder / "dangling.spr", newBytes), Saved);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.spr"));
    EXPECT_EQ(Contents(folder / "absent.spr"), newBytes);
    EXPECT_EQ(Entries(),
              (std::set<std::string>{"real.spr", "links", "dangling.spr", "absent.spr"}));
}

TEST_F(FileReplacerTest, ReadOnlyFolderIsWrittenInPlace)
{
    Put(folder / "sheet.spr", oldBytes, 0666);
    Put(folder / "locked.spr", oldBytes, 0444);
    chmod(folder.c_str(), 0555);
    // Permission bits do not bind root, so a root run drops to nobody.
    const int outcome = InChild(
        [&]
        {
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return kSkipped;
            return Save(folder / "sheet.spr", newBytes) * 4 + Save(folder / "locked.spr", newBytes);
        });
    if (outcome == kSkipped)
        GTEST_SKIP() << "cannot drop root privileges";
    EXPECT_EQ(outcome, Saved * 4 + NotCreated);
    EXPECT_EQ(Contents(folder / "sheet.spr"), newBytes);
    EXPECT_EQ(Contents(folder / "locked.spr"), oldBytes);
    EXPECT_EQ(Entries(), (std::set<std::string>{"sheet.spr", "locked.spr"}));
}

TEST_F(FileReplacerTest, ReadOnlyFileInAWritableFolderIsRefused)
{
    Put(folder / "locked.spr", oldBytes, 0444);
    chmod(folder.c_str(), 0777);
    const int outcome = InChild(
        [&]
        {
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return kSkipped;
            return Save(folder / "locked.spr", newBytes);
        });
    if (outcome == kSkipped)
        GTEST_SKIP() << "cannot drop root privileges";
    EXPECT_EQ(outcome, NotCreated);
    EXPECT_EQ(Contents(folder / "locked.spr"), oldBytes);
    EXPECT_EQ(ModeOf(folder / "locked.spr"), 0444u);
    EXPECT_EQ(Entries(), std::set<std::string>{"locked.spr"});
}
