// SPDX-License-Identifier: GPL-3.0-or-later
// The real program driven from scripts: the voicetray command's options and
// the interface on a private session bus.
#include "media/AudioFile.h"
#include "support/TestFiles.h"
#include "support/VoiceTrayProcess.h"
#include "support/Wait.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

struct Answer
{
    int status;
    QByteArray output;
    QByteArray errors;
};

Answer voicetray(VoiceTrayProcess& app, const QStringList& arguments)
{
    Answer run;
    run.status = app.run(arguments, &run.errors, {}, &run.output);
    return run;
}

} // namespace

TEST(Scripting, CommandsStopMarkAndTellTheRunningRecording)
{
    VoiceTrayProcess app;
    const QString db = app.outputFolder() + "/RecordingsDB.xml";
    // None runs: asking does not start one.
    struct Case
    {
        QStringList arguments;
        int status;
        const char* output;
        const char* errors;
    };
    const Case idle[] = {{{"--status"}, 1, "idle\n", ""},
                         {{"--stop"}, 0, "", ""},
                         {{"--mark", "x"}, 1, "", "VoiceTray is not recording.\n"},
                         {{"--record", "--stop-after", "soon"}, 1, "", "no length"}};
    for (const Case& c : idle) {
        const Answer run = voicetray(app, c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.output, c.output);
        EXPECT_TRUE(run.errors.contains(c.errors)) << run.errors.constData();
    }
    app.setEnvironment("QT_LOGGING_RULES", "voicetray.app.info=true");
    ASSERT_TRUE(app.start({}, false));
    ASSERT_TRUE(waitUntil([&] { return app.errors().contains("Listening on"); }));
    for (const Case& c : idle) {
        if (c.arguments.size() == 1) { // the same, now asked of the running one
            const Answer run = voicetray(app, c.arguments);
            EXPECT_EQ(run.status, c.status);
            EXPECT_EQ(run.output, c.output);
        }
    }
    // Recording: the status tells the time, the title and the time left; the
    // mark lands in the library; the recording ends by itself at its length.
    ASSERT_EQ(voicetray(app, {"--record", "--stop-after", "4s"}).status, 0);
    const Answer status = voicetray(app, {"--status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_TRUE(
        QRegularExpression(R"(^recording 00:00:0[0-3] "Untitled 1" stops in 00:00:0[1-4]\n$)")
            .match(QString::fromUtf8(status.output))
            .hasMatch())
        << status.output.constData();
    EXPECT_EQ(voicetray(app, {"--mark", "hello"}).status, 0);
    EXPECT_TRUE(waitUntil([&] { return readFile(db).contains("hello"); }));
    ASSERT_TRUE(waitUntil([&] { return voicetray(app, {"--status"}).status == 1; }, 10000));
    EXPECT_NEAR(AudioFile::fileDuration(app.outputFolder() + "/Untitled 1.m4a"), 4.0, 0.1);

    // The same on the session bus.
    QProcess gdbus;
    gdbus.start("gdbus", {"introspect", "--session", "--dest", "io.github.voicetray.VoiceTray",
                          "--object-path", "/io/github/voicetray/VoiceTray"});
    ASSERT_TRUE(gdbus.waitForFinished(10000));
    const QByteArray introspected = gdbus.readAllStandardOutput();
    for (const char* member :
         {"Record();", "Continue();", "Stop();", "Mark(in  s note,",
          "RecordingChanged(b recording);", "readonly b Recording", "readonly d Elapsed"})
        EXPECT_TRUE(introspected.contains(member)) << member << "\n" << introspected.constData();
    QDBusInterface bus("io.github.voicetray.VoiceTray", "/io/github/voicetray/VoiceTray",
                       "io.github.voicetray.VoiceTray");
    ASSERT_TRUE(bus.isValid());
    QSignalSpy changed(&bus, SIGNAL(RecordingChanged(bool)));
    EXPECT_FALSE(QDBusReply<bool>(bus.call("Mark", "too early")).value());
    bus.call("Record");
    EXPECT_TRUE(bus.property("Recording").toBool());
    EXPECT_TRUE(waitUntil([&] { return bus.property("Elapsed").toDouble() > 0.5; }));
    EXPECT_TRUE(QDBusReply<bool>(bus.call("Mark", "from the bus")).value());
    bus.call("Stop");
    EXPECT_FALSE(bus.property("Recording").toBool());
    EXPECT_TRUE(waitUntil([&] { return changed.size() == 2; }));
    EXPECT_EQ(changed.value(0).value(0).toBool(), true);
    EXPECT_TRUE(waitUntil([&] { return readFile(db).contains("from the bus"); }));
    EXPECT_EQ(voicetray(app, {"--status"}).output, "idle\n");
}
