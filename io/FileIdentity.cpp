// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/FileIdentity.h"

#include <sys/stat.h>

namespace
{
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
} // namespace

FileStamp StampOf(const struct stat& info)
{
    return {{info.st_dev, info.st_ino, {}},
            std::int64_t(info.st_size),
            std::int64_t(info.st_mtim.tv_sec) * kNanosecondsPerSecond + info.st_mtim.tv_nsec};
}

std::optional<FileStamp> StampOf(const char* path)
{
    struct stat info = {};
    if (path == nullptr || ::stat(path, &info) != 0)
        return std::nullopt;
    return StampOf(info);
}

std::optional<FileIdentity> IdentityOf(const char* path)
{
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp)
        return std::nullopt;
    return stamp->identity;
}

bool IsSameFile(const std::optional<FileIdentity>& a, const std::optional<FileIdentity>& b)
{
    return a && b && *a == *b;
}
