// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LinkOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace {

// Whether the desktop names an application for the scheme. Qt hands a link
// to xdg-open and counts it as opened once xdg-open starts, also when no
// application takes the scheme, so the desktop's own table is asked first.
bool hasHandler(const QString& scheme)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/") + scheme});
    // Without xdg-mime nobody can tell; the desktop then tries anyway.
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit)
        return true;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool LinkOpener::open(const QUrl& url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme();
    const bool web = scheme == QLatin1String("https") || scheme == QLatin1String("http");
    if (!web && !hasHandler(scheme))
        return false;
    return QDesktopServices::openUrl(url);
}
