// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Images.h"

#include <QGuiApplication>

namespace {

QString doublePath(const QString& name)
{
    QString path = Images::path(name);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path + QStringLiteral("@2x") : path.insert(dot, QStringLiteral("@2x"));
}

} // namespace

QString Images::path(const QString& name)
{
    return QStringLiteral(":/images/") + name;
}

QImage Images::image(const QString& name, qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0)
        devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (devicePixelRatio > 1.0) {
        QImage sharp(doublePath(name));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QImage(path(name));
}

QPixmap Images::pixmap(const QString& name, qreal devicePixelRatio)
{
    return QPixmap::fromImage(image(name, devicePixelRatio));
}

QIcon Images::icon(const QString& name)
{
    QIcon icon;
    icon.addFile(path(name));
    icon.addFile(doublePath(name));
    return icon;
}
