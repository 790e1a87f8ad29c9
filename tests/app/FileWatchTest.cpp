// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileWatch.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace
{

void WriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// An editor that saves by rename puts a new file in the old one's place;
// the watch follows the name, so that a later write in place to that new
// file is told as well, and so is one more rename.
TEST(FileWatch, FollowsTheNameThroughSavesByRenameAndInPlace)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("sheet.spr");
    WriteInPlace(path, "first");
    CFileWatch watch;
    watch.Watch(path);
    QSignalSpy settled(&watch, &CFileWatch::Settled);

    const auto saveByRename = [&](const QByteArray& bytes)
    {
        WriteInPlace(path + ".new", bytes);
        std::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData());
    };
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"rename", [&] { saveByRename("second, by rename"); }},
        {"in place", [&] { WriteInPlace(path, "third, in place"); }},
        {"in place again", [&] { WriteInPlace(path, "fourth"); }},
        {"rename again", [&] { saveByRename("fifth, by rename"); }},
    };
    for (const auto& [name, change] : changes)
    {
        SCOPED_TRACE(name);
        settled.clear();
        change();
        EXPECT_TRUE(settled.wait(10 * CFileWatch::kQuietMs));
        watch.Acknowledge(); // as the owner does once it has read the file
    }
}

} // namespace
