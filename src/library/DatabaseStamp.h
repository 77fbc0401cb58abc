// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

// What identifies one version of a file on disk: its size, its modification
// time and its inode (an atomic save by any program gives a new inode).
struct DatabaseStamp
{
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t inode = 0;

    static DatabaseStamp of(const QString& path);
    // The file open there; not there for a descriptor below 0.
    static DatabaseStamp of(int fd);
    bool operator==(const DatabaseStamp&) const = default;
};
