// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct stat;

// Which file a path reaches once links are followed: the device and inode
// the system tells files apart by, however the path is spelt. A file still
// to be created is the folder it would be created in (its device and inode)
// and its name there.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string newName; // empty for an existing file

    auto operator<=>(const FileIdentity&) const = default;
};

// A file as it is now: which file, and enough to tell that it has been
// written since (a save by rename brings another inode, a write in place
// another size or modification time).
struct FileStamp
{
    FileIdentity identity;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The existing file at path; nothing when there is none or it cannot be
// looked at.
std::optional<FileIdentity> IdentityOf(const char* path);
std::optional<FileStamp> StampOf(const char* path);
FileStamp StampOf(const struct stat& info);

// Whether both name a file and it is the same one.
bool IsSameFile(const std::optional<FileIdentity>& a, const std::optional<FileIdentity>& b);
