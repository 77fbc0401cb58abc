// SPDX-License-Identifier: GPL-3.0-or-later
// The real program driven from scripts: the voicetray command's options and
// the interface on a private session bus.
#include "media/AudioFile.h"
#include "session/RecordingPlan.h"
#include "support/TestFiles.h"
#include "support/VoiceTrayProcess.h"
#include "support/Wait.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
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

// A run killed just as it took the lock on its settings leaves the lock file
// empty, which Qt takes for stale only after half a minute: the next start
// answers and saves at once all the same.
TEST(Scripting, AStartAfterARunKilledWhileSavingAnswersAtOnce)
{
    VoiceTrayProcess app;
    QFile lock(app.settingsFile() + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    app.setEnvironment("QT_LOGGING_RULES", "voicetray.*.info=true");
    ASSERT_TRUE(app.start({}, false));
    EXPECT_TRUE(waitUntil([&] { return app.errors().contains("recordings planned"); }));
    EXPECT_EQ(voicetray(app, {"--status"}).output, "idle\n");
    EXPECT_FALSE(lock.exists());
}

TEST(Plans, OverlapsAreFoundAcrossRepeats)
{
    const QDateTime monday(QDate(2026, 12, 7), QTime(10, 0));
    auto plan = [&](int dayOffset, int hour, RecordingPlan::Repeat repeat, int minutes) {
        RecordingPlan p;
        p.start = monday.addDays(dayOffset).addSecs((hour - 10) * 3600);
        p.repeat = repeat;
        p.length = std::chrono::minutes(minutes);
        return p;
    };
    using R = RecordingPlan::Repeat;
    const struct
    {
        RecordingPlan a, b;
        bool overlap;
    } cases[] = {
        {plan(0, 10, R::Once, 60), plan(0, 11, R::Once, 60), false}, // end meets start
        {plan(0, 10, R::Once, 61), plan(0, 11, R::Once, 60), true},
        {plan(0, 10, R::Daily, 30), plan(30, 10, R::Once, 5), true},     // a month later
        {plan(0, 10, R::Weekly, 90), plan(3, 10, R::Daily, 60), true},   // the Monday after
        {plan(1, 10, R::Weekly, 90), plan(0, 10, R::Weekly, 90), false}, // other weekdays
        {plan(0, 23, R::Daily, 120), plan(1, 0, R::Weekly, 30), true},   // past midnight
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a.overlaps(c.b), c.overlap) << c.a.start.toString().toStdString();
        EXPECT_EQ(c.b.overlaps(c.a), c.overlap) << c.b.start.toString().toStdString();
    }
}

// A plan due in a few seconds records by itself and takes its title; one
// whose time passed while VoiceTray did not run is told once.
TEST(Plans, DuePlansRecordAndMissedOnesAreToldOnce)
{
    VoiceTrayProcess app;
    const QDateTime now = QDateTime::currentDateTime();
    const auto plan = [](const QDateTime& start, int seconds, const QString& title,
                         const QString& category) {
        RecordingPlan p;
        p.start = start;
        p.length = std::chrono::seconds(seconds);
        p.title = title;
        p.category = category;
        p.handled = start.addDays(-1);
        return p.toJson();
    };
    const QJsonArray plans{plan(now.addSecs(8), 3, "Due Soon", "Lectures"),
                           plan(now.addSecs(-3600), 60, "Missed Lecture", "")};
    app.setSetting("RecordingPlans", QJsonDocument(plans).toJson(QJsonDocument::Compact));
    app.setEnvironment("QT_LOGGING_RULES", "voicetray.*.info=true");
    ASSERT_TRUE(app.start({}, false));
    const QString file = app.outputFolder() + "/Lectures/Due Soon.m4a";
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(file); }, 30000));
    // It ends at its planned end; opening the device takes a moment of the start.
    EXPECT_NEAR(AudioFile::fileDuration(file), 3.0, 0.25);
    EXPECT_EQ(app.errors().count("were missed"), 1);
    EXPECT_TRUE(app.errors().contains("\"Missed Lecture\""));
    // Started again, nothing is told twice.
    app.kill();
    ASSERT_TRUE(app.start({}, false));
    ASSERT_TRUE(waitUntil([&] { return app.errors().count("recordings planned") == 2; }))
        << app.threadStacks().toStdString();
    EXPECT_EQ(voicetray(app, {"--status"}).output, "idle\n");
    EXPECT_EQ(app.errors().count("were missed"), 1);
}
