// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TitleRules.h"

bool TitleRules::isSafeTitle(const QString& title)
{
    if (title.isEmpty() || title == "." || title == "..")
        return false;
    return !title.contains('/') && !title.contains(QChar(0));
}
