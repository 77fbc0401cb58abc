// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QUrl;

// Opens a link with the application the desktop has for it, and tells
// whether one took it. Main thread only.
class LinkOpener
{
public:
    static bool open(const QUrl& url);
};
