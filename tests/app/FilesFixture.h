// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/QTMovie.h"
#include "outline/RecOutlineController.h"
#include "support/QtApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// Audio made by the ffmpeg command: a tone of the given length, written in
// the format the file name's extension asks for.
inline bool makeAudio(const QString& path, double seconds, const QStringList& extra = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QString("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                     "-ac",
                     "2"};
    args << extra << path;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0 && QFileInfo(path).size() > 0;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeText(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// A launched application with a fresh home; the library is home/outer/rec,
// so that a test can import a folder that holds the library.
class FilesFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        qtApp();
        setQnMessageBoxPresenter([this](const QString& text) { messages << text; });
        out = home.path() + "/outer/rec";
        src = home.path() + "/src";
        QDir().mkpath(out);
        QDir().mkpath(src);
        app = std::make_unique<RecorderAppDelegate>();
        app->settings().setOutputFolder(out);
        app->applicationDidFinishLaunching();
        outline = app->outlineController();
    }
    void TearDown() override
    {
        app.reset();
        setQnMessageBoxPresenter({});
    }

    RecGroup* root() const { return outline->mainGroup(); }
    RecGroup* category(const QString& title, RecGroup* parent = nullptr)
    {
        auto owned = outline->createNewGroup();
        RecGroup* g = owned.get();
        g->setTitle(title);
        g->setExpanded(true);
        outline->addGroup(std::move(owned), parent ? parent : root());
        QDir().mkpath(app->restorePath(g));
        return g;
    }
    // A row whose file is a real recording of the given length, or a few
    // bytes when no length is given.
    RecItem* recording(const QString& title, RecGroup* parent = nullptr, double seconds = 0)
    {
        auto owned = outline->createNewItem();
        RecItem* i = owned.get();
        i->setTitle(title);
        outline->addItem(std::move(owned), parent ? parent : root());
        if (seconds > 0)
            EXPECT_TRUE(makeAudio(app->restorePath(i), seconds, {"-c:a", "aac"}));
        else
            writeText(app->restorePath(i), title.toUtf8());
        return i;
    }
    static QStringList titles(const RecGroup* group)
    {
        QStringList list;
        for (const GeneralRecItem* sub : group->subItems())
            list << sub->title();
        return list;
    }
    static RecItem* itemAt(const RecGroup* group, int index)
    {
        return qobject_cast<RecItem*>(group->subItems().value(index));
    }
    static RecGroup* groupAt(const RecGroup* group, int index)
    {
        return qobject_cast<RecGroup*>(group->subItems().value(index));
    }
    // Runs the event loop until every conversion has been written.
    bool waitForConversions(int timeoutMs = 120000)
    {
        QElapsedTimer clock;
        clock.start();
        while ((!app->filesForConvertion().isEmpty() || app->progressPanel()->isSheetShown()) &&
               clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return app->filesForConvertion().isEmpty();
    }

    QTemporaryDir home;
    QString out;
    QString src;
    QStringList messages;
    std::unique_ptr<RecorderAppDelegate> app;
    RecOutlineController* outline = nullptr;
};
