// SPDX-License-Identifier: GPL-3.0-or-later
// A batch is converted on several threads at once; what it writes, what it
// reports and how it stops must be those of one file after the other.
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{

// Pictures are decoded by a library with one global state: many at once
// must each come out as it does alone. Failures are told in the inputs'
// order, whichever thread met them first.
TEST(ParallelRun, PicturesAndFailuresComeOutAsOneFileAfterTheOther)
{
    constexpr int kPictures = 48;
    TempFolder folder;
    fs::create_directory(folder.Path("all"));
    fs::create_directory(folder.Path("one"));
    std::vector<std::string> arguments;
    for (int i = 0; i < kPictures; ++i)
    {
        const std::string name = "p" + std::to_string(i);
        CSpriteImage sheet;
        WriteBytes(folder.Path(name + ".spr"), RandomSpr(40 + i, 0));
        ASSERT_TRUE(sheet.LoadSPR(folder.Path(name + ".spr").c_str()) &&
                    sheet.SaveBMP(folder.Path(name + ".bmp").c_str()));
        if (i % 7 == 3) // a broken one now and then
            fs::resize_file(folder.Path(name + ".bmp"), 100);
        arguments.push_back(name + ".bmp");
    }
    arguments.insert(arguments.end(), {"--to", "spr", "-o", "all"});
    const CliRun run = RunConvert(folder, arguments);

    std::string errAlone;
    for (int i = 0; i < kPictures; ++i)
    {
        const std::string name = "p" + std::to_string(i);
        const CliRun alone = RunConvert(folder, {name + ".bmp", "-o", "one/" + name + ".spr"});
        errAlone += alone.err;
        EXPECT_EQ(alone.status, i % 7 == 3 ? 1 : 0) << name;
        if (alone.status == 0)
        {
            EXPECT_EQ(ReadBytes(folder.Path("all/" + name + ".spr")),
                      ReadBytes(folder.Path("one/" + name + ".spr")))
                << name;
        }
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, errAlone);
}

// A signal stops a batch whose worker is blocked writing to a pipe that is
// never read: the write is cut short, the files before it are in place, as
// many as the message says, and nothing after it replaced anything.
TEST(ParallelRun, SignalCutsShortAWriteBlockedOnAPipe)
{
    TempFolder folder;
    fs::create_directory(folder.Path("o"));
    for (const char* name : {"a.spr", "b.spr", "c.spr"})
        WriteBytes(folder.Path(name), RandomSpr(name[0], 0));
    ASSERT_EQ(mkfifo(folder.Path("o/b.bmp").c_str(), 0644), 0);
    // The reader holds the pipe open and reads nothing: a BMP is larger than
    // what a pipe buffers, so its write waits.
    const CliRun run = RunShell(
        folder, "sleep 30 <o/b.bmp & reader=$!; "
                "timeout -s KILL 20 $C a.spr b.spr c.spr --to bmp -o o & convert=$!; "
                "sleep 1; kill -INT $convert; wait $convert; status=$?; kill $reader; "
                "exit $status");
    EXPECT_EQ(run.status, 128 + SIGINT) << run.err;
    EXPECT_EQ(run.err, "tavrel-convert: stopped by SIGINT after 1 of 3 files\n");
    EXPECT_TRUE(fs::is_regular_file(folder.Path("o/a.bmp")));
    EXPECT_FALSE(fs::exists(folder.Path("o/c.bmp")));
}

} // namespace
