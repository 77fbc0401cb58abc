// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DatabaseStamp.h"

#include <QFile>
#include <sys/stat.h>

namespace {

DatabaseStamp stampOf(const struct stat& st)
{
    return {true, std::int64_t(st.st_size),
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::uint64_t(st.st_ino)};
}

} // namespace

DatabaseStamp DatabaseStamp::of(const QString& path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return stampOf(st);
}

DatabaseStamp DatabaseStamp::of(int fd)
{
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return stampOf(st);
}
