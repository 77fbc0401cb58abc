// SPDX-License-Identifier: GPL-3.0-or-later
// Records an input device into a file until the process is killed, or for
// the given number of seconds.
// Usage: audio_record_helper <output file> <device description> [seconds]
// With "--listen" for the file it only listens for a 30-second pre-roll.
#include "audio/RecorderEngine.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4)
        return 2;
    RecorderEngine recorder;
    QObject::connect(&recorder, &RecorderEngine::userMessage,
                     [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    recorder.setQuality(3);
    recorder.setInputDevice(QString::fromLocal8Bit(argv[2]));
    const bool listen = QByteArray(argv[1]) == "--listen";
    if (listen) {
        recorder.setPreRoll(30);
    } else {
        recorder.setOutputFilePath(QString::fromLocal8Bit(argv[1]));
        recorder.start();
    }
    if (!(listen ? recorder.isListening() : recorder.isRecording()))
        return 1;
    std::printf("recording\n");
    std::fflush(stdout);
    if (argc == 4) {
        QTimer::singleShot(QString::fromLocal8Bit(argv[3]).toInt() * 1000, &app, [&recorder] {
            recorder.stop();
            QCoreApplication::quit();
        });
    }
    return QCoreApplication::exec();
}
