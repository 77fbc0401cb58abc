// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PreferencesController.h"
#include "app/VoiceTrayApp.h"
#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "session/RecordingSession.h"
#include "shell/WindowController.h"
#include "support/TreeText.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class Settings;

// The whole program as a user meets it: launched on a fresh home
// folder (HOME, XDG_CONFIG_HOME and XDG_DATA_HOME, with the Trash, point into
// it; the settings start empty), with its library in home/outer/rec, so that
// a test can also import a folder that holds the library. Every showMessage
// text and ConfirmBox question is collected in `messages` instead of shown;
// questions are answered with `confirm`. Main thread only.
class AppFixture : public ::testing::Test
{
protected:
    // Passed as the length of recording(): the row gets no file at all.
    static constexpr double kNoFile = -1;

    void SetUp() override;
    // Quits the controller as the user does (a running recording is stopped and saved).
    void TearDown() override;

    // What a test wants set before the launch; the output folder is already set.
    virtual void configure(Settings&) {}
    // A new controller on the same home, configured and launched.
    void launch();
    // Quits the running controller and launches a new one, as a restart does.
    void relaunch();

    RecGroup* root() const { return outline->mainGroup(); }
    // An expanded category at the end of the parent (the root by default),
    // with its folder unless told otherwise.
    RecGroup* category(const QString& title, RecGroup* parent = nullptr, bool makeFolder = true);
    // A recording at the end of the parent. Its file is a stereo AAC tone of
    // the given length made by the ffmpeg command; with no length, the title's
    // bytes; with kNoFile, nothing.
    RecItem* recording(const QString& title, RecGroup* parent = nullptr, double seconds = 0);
    // The library file's bytes.
    QByteArray database() const;
    // Runs the event loop until every waiting conversion has been written.
    bool waitForConversions();

    // The tree under the group (the root by default) on one line.
    QString tree(const RecGroup* group = nullptr) const { return treeText(group ? group : root()); }

    QTemporaryDir home;
    QString out;
    QStringList messages;
    bool confirm = false;
    std::unique_ptr<VoiceTrayApp> app;
    // Its services, as the test drives them.
    Library* library = nullptr;
    RecordingSession* session = nullptr;
    WindowController* window = nullptr;
    PreferencesController* prefs = nullptr;
    RecOutlineController* outline = nullptr;
};
