// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Titles are file and folder names, so a title must be exactly one path
// component: never empty, ".", "..", and never holding "/" or NUL. The
// library file stores it, so it also holds only what XML 1.0 can store.
class TitleRules
{
public:
    static bool isSafeTitle(const QString& title);
    // The title with every character XML 1.0 cannot store replaced by "_".
    static QString cleaned(const QString& title);
    // The first "<prefix><n><suffix>" for n = 1, 2, ... that `taken` says is
    // free. Prefix and suffix are taken as they are, whatever they hold.
    template <typename Taken>
    static QString firstFree(const QString& prefix, const QString& suffix, Taken taken)
    {
        for (int n = 1;; ++n) {
            const QString candidate = prefix + QString::number(n) + suffix;
            if (!taken(candidate))
                return candidate;
        }
    }
};
