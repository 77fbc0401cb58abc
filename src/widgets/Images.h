// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The program's images by name ("microphone.png"), loaded from the embedded
// resources; on HiDPI screens the @2x rendering is used. Main thread only.
class Images
{
public:
    // ":/images/<name>".
    static QString path(const QString& name);
    // The image for the given device pixel ratio (the application's when 0);
    // null when there is no image of that name.
    static QImage image(const QString& name, qreal devicePixelRatio = 0);
    static QPixmap pixmap(const QString& name, qreal devicePixelRatio = 0);
    // Both renderings, for widgets that may move between screens.
    static QIcon icon(const QString& name);
};
