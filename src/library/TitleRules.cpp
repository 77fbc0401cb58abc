// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TitleRules.h"

#include <QList>

namespace {

// XML 1.0 stores tab, line breaks and everything from the space on, but for
// the two non-characters at the end of the first plane and lone surrogates.
bool storable(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

bool TitleRules::isSafeTitle(const QString& title)
{
    if (title.isEmpty() || title == "." || title == "..")
        return false;
    // Checked where it stands: every library load asks this for every row.
    for (qsizetype i = 0; i < title.size(); ++i) {
        const QChar c = title[i];
        if (c.isHighSurrogate() && i + 1 < title.size() && title[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate() || c == '/' || !storable(c.unicode()))
            return false;
    }
    return true;
}

QString TitleRules::cleaned(const QString& title)
{
    QString result;
    const QList<uint> codes = title.toUcs4();
    for (const uint c : codes) {
        if (storable(c))
            result += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        else
            result += QLatin1Char('_');
    }
    return result;
}
