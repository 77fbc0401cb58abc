// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TitleRules.h"

#include <QList>

bool TitleRules::isSafeTitle(const QString& title)
{
    if (title.isEmpty() || title == "." || title == "..")
        return false;
    return !title.contains('/') && !title.contains(QChar(0)) && cleaned(title) == title;
}

QString TitleRules::cleaned(const QString& title)
{
    // XML 1.0 stores tab, line breaks and everything from the space on,
    // but for the two non-characters at the end of each plane.
    QString result;
    const QList<uint> codes = title.toUcs4();
    for (const uint c : codes) {
        const bool storable = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                              (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        if (storable)
            result += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        else
            result += QLatin1Char('_');
    }
    return result;
}
