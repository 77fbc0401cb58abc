// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Titles are file and folder names, so a title must be exactly one path
// component: never empty, ".", "..", and never holding "/" or NUL.
class TitleRules
{
public:
    static bool isSafeTitle(const QString& title);
    // The first "<pattern with %1 = n>" for n = 1, 2, ... that `taken` says is free.
    template <typename Taken> static QString firstFree(const QString& pattern, Taken taken)
    {
        for (int n = 1;; ++n) {
            const QString candidate = pattern.arg(n);
            if (!taken(candidate))
                return candidate;
        }
    }
};
