// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Artefacts.h"

#include <QDir>

QString artefact(const QString& name)
{
    const QString dir =
        qEnvironmentVariable("VT_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/test-artefacts");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}
