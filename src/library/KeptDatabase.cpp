// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/KeptDatabase.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Any seed but 0 lets Qt hash with the processor's AES instructions, several
// times faster than its hash for seed 0.
size_t hashOf(QByteArrayView bytes)
{
    return qHash(bytes, 1);
}

// The mount a file or folder lies on; 0 where it cannot be told.
quint64 mountOf(int dirfd, const char* path, int flags)
{
    struct statx st = {};
    if (::statx(dirfd, path, flags, STATX_MNT_ID, &st) != 0 || !(st.stx_mask & STATX_MNT_ID))
        return 0;
    return st.stx_mnt_id;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// A file of the cache's that no other program can open, gone when closed;
// -1 when none can be made.
int privateFile(const QByteArray& folder)
{
    if (folder.isEmpty())
        return -1;
    int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        QByteArray name = folder + "/RecordingsDB.kept-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0)
            ::unlink(name.constData());
    }
    return fd;
}

} // namespace

void KeptDatabase::keep(int fd, QByteArrayView bytes)
{
    clear();
    if (fd < 0)
        return;
    m_stamp = DatabaseStamp::of(fd);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    const QByteArray folder = QFile::encodeName(cache);
    const quint64 mount = mountOf(fd, "", AT_EMPTY_PATH);
    if (mount == 0 || mount != mountOf(AT_FDCWD, folder.constData(), 0)) {
        ::close(fd);
        fd = privateFile(folder);
        if (fd >= 0 && !writeAll(fd, bytes)) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0)
            return;
    }
    m_fd = fd;
    m_size = bytes.size();
    m_hash = hashOf(bytes);
}

void KeptDatabase::clear()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_hash = 0;
    m_stamp = {};
}

std::optional<QByteArray> KeptDatabase::bytes() const
{
    if (m_fd < 0)
        return std::nullopt;
    // One byte more than kept shows a file that grew.
    QByteArray bytes(m_size + 1, Qt::Uninitialized);
    qsizetype read = 0;
    while (read < bytes.size()) {
        const ssize_t n = ::pread(m_fd, bytes.data() + read, size_t(bytes.size() - read), read);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        read += n;
    }
    if (read != m_size)
        return std::nullopt;
    bytes.truncate(read);
    if (hashOf(bytes) != m_hash)
        return std::nullopt;
    return bytes;
}
