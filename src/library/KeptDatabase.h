// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/DatabaseStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The version of "RecordingsDB.xml" this program last read or wrote, kept
// as an open file rather than in memory: it is read again only when another
// program saved since, for the merge. Where the library lies on the same
// mount as the program's cache, the file itself is kept open: another
// program's save by rename leaves it as it was. Elsewhere (a drive that may
// be unmounted, which an open file would refuse) a private copy is kept in
// the cache. A program that writes into the file itself changes what is
// kept; its size and a hash of its bytes, taken when kept, tell.
class KeptDatabase
{
public:
    KeptDatabase() = default;
    KeptDatabase(const KeptDatabase&) = delete;
    KeptDatabase& operator=(const KeptDatabase&) = delete;
    ~KeptDatabase() { clear(); }

    // Keeps the bytes just read from or written to the open file (taking
    // over the descriptor; -1 for none, which keeps nothing).
    void keep(int fd, QByteArrayView bytes);
    void clear();
    qsizetype size() const { return m_size; }
    // The library's file as it was when kept.
    const DatabaseStamp& stamp() const { return m_stamp; }
    // The bytes kept; nothing when none were kept or the file holds others now.
    std::optional<QByteArray> bytes() const;

private:
    int m_fd = -1;
    qsizetype m_size = 0;
    size_t m_hash = 0;
    DatabaseStamp m_stamp;
};
