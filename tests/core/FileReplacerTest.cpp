// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/FileReplacer.h"
#include "io/ReplaceBatch.h"
#include "tests/core/SpriteFileTestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace
{
enum Outcome
{
    Saved,
    NotCreated,
    NotSaved
};
constexpr int kSkipped = 77;
const Bytes kOld(3007, 'o');
const Bytes kNew(5007, 'n');

// Writes in pieces, ignoring each write's result as the sprite writers do:
// Commit alone must notice a failure.
int Save(const std::string& path, const Bytes& bytes, std::size_t piece = 256,
         CReplaceBatch* batch = nullptr)
{
    CFileReplacer replacer(path, batch);
    if (!replacer.Begin())
        return NotCreated;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        replacer.File().WriteBlock(bytes.data() + at, std::min(piece, bytes.size() - at));
    return replacer.Commit() ? Saved : NotSaved;
}

// Runs body in a child process, so that the limits and identity it takes on
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

void Put(const fs::path& path, const Bytes& bytes, mode_t mode)
{
    WriteBytes(path, bytes);
    chmod(path.c_str(), mode);
}

} // namespace

TEST(FileReplacer, ReplacesTheFileKeepingItsOwnerPermissionBitsAndLinks)
{
    TempFolder temp;
    const fs::path root = temp.Root();
    Put(root / "real.spr", kOld, 0640);
    // Only root can hand the new file to another user; anyone else owns both.
    const bool asRoot = geteuid() == 0;
    const uid_t owner = asRoot ? 65534 : geteuid();
    const gid_t group = asRoot ? 65534 : getegid();
    ASSERT_EQ(chown((root / "real.spr").c_str(), owner, group), 0);
    fs::create_symlink("real.spr", root / "sheet.spr");
    EXPECT_EQ(Save(root / "sheet.spr", kNew), Saved);
    EXPECT_EQ(fs::read_symlink(root / "sheet.spr"), "real.spr");
    EXPECT_EQ(ReadBytes(root / "real.spr"), kNew);
    EXPECT_EQ(fs::status(root / "real.spr").permissions(), fs::perms(0640));
    struct stat info = {};
    ASSERT_EQ(stat((root / "real.spr").c_str(), &info), 0);
    EXPECT_EQ(std::pair(info.st_uid, info.st_gid), std::pair(owner, group));
    // A new file gets the bits the mask allows, not the temporary file's.
    const mode_t previousMask = umask(027);
    EXPECT_EQ(Save(root / "new.spr", kNew), Saved);
    umask(previousMask);
    EXPECT_EQ(fs::status(root / "new.spr").permissions(), fs::perms(0640));
    EXPECT_EQ(FileNames(root), (std::set<std::string>{"real.spr", "sheet.spr", "new.spr"}));
}

TEST(FileReplacer, FailedWritesLeaveTheOldFileWhole)
{
    TempFolder temp;
    const fs::path sheet = temp.Root() / "sheet.spr";
    // One block larger than the stream's buffer fails inside fwrite and
    // leaves nothing to flush; small pieces fail when the buffer is flushed.
    for (std::size_t piece : {kNew.size(), std::size_t{100}})
    {
        Put(sheet, kOld, 0644);
        const auto fullDisk = [&]
        {
            const FileSizeLimit limit(1000);
            return Save(sheet, kNew, piece);
        };
        EXPECT_EQ(InChild(fullDisk), NotSaved) << piece;
        EXPECT_EQ(ReadBytes(sheet), kOld) << piece;
        EXPECT_EQ(FileNames(temp.Root()), std::set<std::string>{"sheet.spr"}) << piece;
    }

    // A device is written, never replaced; a pipe nobody reads is refused
    // rather than waited for.
    EXPECT_EQ(Save("/dev/full", kNew), NotSaved);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    ASSERT_EQ(mkfifo((temp.Root() / "pipe").c_str(), 0644), 0);
    EXPECT_EQ(Save(temp.Root() / "pipe", kNew), NotCreated);
    EXPECT_TRUE(fs::is_fifo(temp.Root() / "pipe"));
}

// As nobody (root is not bound by permission bits): a folder that takes no
// new file has its file written in place, a read-only file is refused, and a
// batch syncs a write-only file in a folder that may not be listed through
// the descriptor it wrote with.
TEST(FileReplacer, PermissionsTheUserLacks)
{
    TempFolder temp;
    const fs::path root = temp.Root();
    const std::tuple<const char*, mode_t, mode_t> folders[] = {
        {"locked", 0555, 0666}, {"open", 0777, 0444}, {"drop", 0333, 0222}};
    for (const auto& [name, folderMode, fileMode] : folders)
    {
        fs::create_directory(root / name);
        Put(root / name / "sheet.spr", kOld, fileMode);
        chmod((root / name).c_str(), folderMode);
    }
    chmod(root.c_str(), 0755);
    const int outcome = InChild(
        [&]
        {
            constexpr uid_t kNobody = 65534;
            if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return kSkipped;
            CReplaceBatch batch;
            const int dropped = Save(root / "drop" / "sheet.spr", kNew, 256, &batch);
            return Save(root / "locked" / "sheet.spr", kNew) * 16 +
                   Save(root / "open" / "sheet.spr", kNew) * 4 + dropped +
                   int(batch.Finish().size());
        });
    for (const auto& [name, folderMode, fileMode] : folders)
        chmod((root / name).c_str(), 0755);
    if (outcome == kSkipped)
        GTEST_SKIP() << "cannot drop root privileges";
    EXPECT_EQ(outcome, Saved * 16 + NotCreated * 4 + Saved);
    EXPECT_EQ(ReadBytes(root / "locked" / "sheet.spr"), kNew);
    EXPECT_EQ(ReadBytes(root / "open" / "sheet.spr"), kOld);
    EXPECT_EQ(ReadBytes(root / "drop" / "sheet.spr"), kNew);
    EXPECT_EQ(FileNames(root / "drop"), std::set<std::string>{"sheet.spr"});
}

// A batch keeps every old file until it finishes; one left unfinished
// changes nothing.
TEST(ReplaceBatch, FilesAreReplacedOnlyWhenTheBatchFinishes)
{
    TempFolder temp;
    const fs::path a = temp.Root() / "a.bmp";
    const fs::path b = temp.Root() / "b.bmp";
    Put(a, kOld, 0640);
    {
        CReplaceBatch unfinished;
        EXPECT_EQ(Save(a, kNew, 256, &unfinished) + Save(b, kNew, 256, &unfinished), Saved);
    }
    EXPECT_EQ(ReadBytes(a), kOld);
    EXPECT_EQ(FileNames(temp.Root()), std::set<std::string>{"a.bmp"});

    CReplaceBatch batch;
    EXPECT_EQ(Save(a, kNew, 256, &batch) + Save(b, kNew, 256, &batch), Saved);
    EXPECT_EQ(batch.Waiting(), 2u);
    // A folder that appeared in b's place meanwhile cannot be renamed over.
    fs::create_directories(b / "inside");
    EXPECT_EQ(batch.Finish(), std::vector<std::size_t>{1});
    EXPECT_EQ(ReadBytes(a), kNew);
}

// A disk whose write-back fails (a stick pulled out, a server gone) fails
// every file of the chunk, and no old file is replaced by one that may not
// be on it; a later chunk on a disk that works again is put in place.
TEST(ReplaceBatch, AFailedSyncFailsTheChunkAndReplacesNothing)
{
    TempFolder temp;
    const fs::path a = temp.Root() / "a.bmp";
    const fs::path b = temp.Root() / "b.bmp";
    Put(a, kOld, 0644);
    CReplaceBatch batch;
    batch.SetFileSystemSync(
        [](int)
        {
            errno = EIO;
            return -1;
        });
    EXPECT_EQ(Save(a, kNew, 256, &batch) + Save(b, kNew, 256, &batch), Saved);
    EXPECT_EQ(batch.Finish(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(ReadBytes(a), kOld);
    EXPECT_EQ(FileNames(temp.Root()), std::set<std::string>{"a.bmp"});

    batch.SetFileSystemSync(::syncfs);
    EXPECT_EQ(Save(a, kNew, 256, &batch), Saved);
    EXPECT_EQ(batch.Finish(), std::vector<std::size_t>{});
    EXPECT_EQ(ReadBytes(a), kNew);
}

// A rename that fails (a target bound over, a server that refuses) fails
// that file alone: its target stays as it was and no temporary name is
// left; the other files of the chunk are put in place.
TEST(ReplaceBatch, AFailedRenameFailsThatFileAlone)
{
    TempFolder temp;
    const fs::path names[] = {temp.Root() / "a.bmp", temp.Root() / "b.bmp", temp.Root() / "c.bmp"};
    for (const fs::path& name : names)
        Put(name, kOld, 0644);
    CReplaceBatch batch;
    static int renames; // the second rename fails
    renames = 0;
    batch.SetRename(
        [](int fromFolder, const char* from, int toFolder, const char* to)
        {
            if (++renames == 2)
            {
                errno = EBUSY;
                return -1;
            }
            return renameat(fromFolder, from, toFolder, to);
        });
    for (const fs::path& name : names)
        EXPECT_EQ(Save(name, kNew, 256, &batch), Saved);
    EXPECT_EQ(batch.Finish(), std::vector<std::size_t>{1});
    EXPECT_EQ(std::tuple(ReadBytes(names[0]), ReadBytes(names[1]), ReadBytes(names[2])),
              std::tuple(kNew, kOld, kNew));
    EXPECT_EQ(FileNames(temp.Root()), (std::set<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
}

// Folder plus temporary name may exceed PATH_MAX where the target does not.
TEST(FileReplacer, FolderPathNearTheSystemLimit)
{
    TempFolder temp;
    fs::path folder = temp.Root();
    while (folder.string().size() < PATH_MAX - 20)
        folder /=
            std::string(std::min<std::size_t>(200, PATH_MAX - 20 - folder.string().size()), 'd');
    fs::create_directories(folder);
    WriteBytes(folder / "s.spr", kOld);
    EXPECT_EQ(Save(folder / "s.spr", kNew), Saved);
    EXPECT_EQ(ReadBytes(folder / "s.spr"), kNew);
}

// Nothing can be renamed or removed in an append-only folder, so a file
// there is written in place (new ones appear whole) and no temporary file
// is left that nobody could remove.
TEST(FileReplacer, AppendOnlyFolderKeepsNoTemporaryFile)
{
    TempFolder temp;
    const fs::path folder = temp.Root() / "log";
    fs::create_directory(folder);
    Put(folder / "old.spr", kOld, 0644);
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = FS_APPEND_FL;
    const bool appendOnly = ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    const int saves =
        appendOnly ? Save(folder / "old.spr", kNew) + Save(folder / "new.spr", kNew) : 0;
    flags = 0;
    ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
    close(descriptor);
    if (!appendOnly)
        GTEST_SKIP() << "cannot make a folder append-only here (chattr +a needs root and a "
                        "file system that supports it)";
    EXPECT_EQ(saves, Saved);
    EXPECT_EQ(ReadBytes(folder / "old.spr"), kNew);
    EXPECT_EQ(ReadBytes(folder / "new.spr"), kNew);
    EXPECT_EQ(FileNames(folder), (std::set<std::string>{"old.spr", "new.spr"}));
}
