// SPDX-License-Identifier: GPL-3.0-or-later
// CPU share of a real capture: starts the private sound server of the tests
// and runs the record helper under /usr/bin/time for the given seconds of
// recording from the 440 Hz sine source; with "listen", of listening for a
// 30-second pre-roll instead.
// Usage: bench_audio_capture [seconds, default 60] [listen]
#include "support/PulseServer.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    PulseServer& server = PulseServer::instance();
    if (!server.isRunning()) {
        std::fprintf(stderr, "the sound server did not start\n");
        return 1;
    }
    const bool listen = argc > 2 && QByteArray(argv[2]) == "listen";
    QTemporaryDir dir;
    QProcess time;
    time.setProcessChannelMode(QProcess::ForwardedChannels);
    time.start(QStringLiteral("/usr/bin/time"),
               {QStringLiteral("-f"),
                QStringLiteral("user %U s, system %S s, elapsed %e s, CPU %P, max RSS %M KB"),
                QStringLiteral(VT_RECORD_HELPER),
                listen ? QStringLiteral("--listen") : dir.filePath(QStringLiteral("capture.m4a")),
                server.sineSourceDescription(), QString::number(seconds)});
    if (!time.waitForFinished((seconds + 30) * 1000))
        return 1;
    return time.exitCode();
}
