// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlatformChoice.h"

QByteArray PlatformChoice::platformFor(const QProcessEnvironment& environment)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() ||
        !isWaylandSession(environment) || environment.value(QStringLiteral("DISPLAY")).isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void PlatformChoice::apply()
{
    const QByteArray platform = platformFor(QProcessEnvironment::systemEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

bool PlatformChoice::isWaylandSession(const QProcessEnvironment& environment)
{
    return environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland") ||
           !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}
