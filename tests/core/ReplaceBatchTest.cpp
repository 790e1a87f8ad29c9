#include "io/FileReplacer.h"
#include "io/ReplaceBatch.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
bool Replace(const fs::path& path, const std::string& bytes)
{
    CFileReplacer replacer(path.string());
    if (!replacer.Begin())
        return false;
    replacer.File().WriteBlock(bytes.data(), bytes.size());
    return replacer.Commit();
}

std::string Text(const fs::path& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

std::set<std::string> Entries(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void Put(const fs::path& path, const std::string& text, mode_t mode)
{
    WriteBytes(path.string(), std::vector<std::uint8_t>(text.begin(), text.end()));
    chmod(path.c_str(), mode);
}
} // namespace

TEST(ReplaceBatch, OldFilesStayUntilFinishThenAllAreReplaced)
{
    TempFolder temp;
    const fs::path a = temp.Root() / "a.bmp";
    const fs::path b = temp.Root() / "b.bmp";
    Put(a, "old a", 0640);
    {
        CReplaceBatch batch;
        ASSERT_EQ(CReplaceBatch::Current(), &batch);
        EXPECT_TRUE(Replace(a, "new a"));
        EXPECT_TRUE(Replace(b, "new b"));
        EXPECT_EQ(batch.Waiting(), 2u);
        EXPECT_EQ(Text(a), "old a");
        EXPECT_FALSE(fs::exists(b));

        EXPECT_TRUE(batch.Finish().empty());
        EXPECT_EQ(batch.Waiting(), 0u);
    }
    EXPECT_EQ(CReplaceBatch::Current(), nullptr);
    EXPECT_EQ(Text(a), "new a");
    EXPECT_EQ(Text(b), "new b");
    struct stat info
    {
    };
    stat(a.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(temp.Root()), (std::set<std::string>{"a.bmp", "b.bmp"}));
}

TEST(ReplaceBatch, UnfinishedBatchChangesNothingAndLeavesNoTemporaryFile)
{
    TempFolder temp;
    const fs::path a = temp.Root() / "a.bmp";
    Put(a, "old a", 0644);
    {
        CReplaceBatch batch;
        EXPECT_TRUE(Replace(a, "new a"));
        EXPECT_TRUE(Replace(temp.Root() / "b.bmp", "new b"));
    }
    EXPECT_EQ(Text(a), "old a");
    EXPECT_EQ(Entries(temp.Root()), std::set<std::string>{"a.bmp"});
}

TEST(ReplaceBatch, FileThatCannotBePutInPlaceIsReportedByPosition)
{
    TempFolder temp;
    const fs::path a = temp.Root() / "a.bmp";
    const fs::path blocked = temp.Root() / "blocked.bmp";
    CReplaceBatch batch;
    EXPECT_TRUE(Replace(a, "new a"));
    EXPECT_TRUE(Replace(blocked, "new"));
    // A folder that appeared in its place meanwhile cannot be renamed over.
    fs::create_directories(blocked / "inside");
    EXPECT_EQ(batch.Finish(), std::vector<std::size_t>{1});
    EXPECT_EQ(Text(a), "new a");
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_EQ(Entries(temp.Root()), (std::set<std::string>{"a.bmp", "blocked.bmp"}));

    // The batch takes more files after finishing.
    EXPECT_TRUE(Replace(a, "newer a"));
    EXPECT_TRUE(batch.Finish().empty());
    EXPECT_EQ(Text(a), "newer a");
}
