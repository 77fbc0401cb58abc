// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/FileFingerprint.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>

QString FileFingerprint::of(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(file.read(kEdgeBytes));
    if (size > kEdgeBytes) {
        if (!file.seek(std::max(kEdgeBytes, size - kEdgeBytes)))
            return QString();
        hash.addData(file.readAll());
    }
    return QString::number(size) + ':' + QString::fromLatin1(hash.result().toHex());
}

qint64 FileFingerprint::sizeOf(QStringView fingerprint)
{
    const qsizetype colon = fingerprint.indexOf(u':');
    bool ok = false;
    const qint64 size = colon > 0 ? fingerprint.left(colon).toLongLong(&ok) : -1;
    return ok && size >= 0 ? size : -1;
}
