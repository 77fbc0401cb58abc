// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "media/MediaFileJobs.h"
#include "support/TreeText.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The library service on a fresh home (HOME and XDG_DATA_HOME, with the
// Trash and the program's own data, point into it), with its output folder
// in home/outer/rec, so that a test can also import a folder that holds the
// library. Every message and question is collected in `messages`; questions
// are answered with `confirm`. Main thread only.
class LibraryFixture : public ::testing::Test
{
protected:
    // Passed as the length of recording(): the row gets no file at all.
    static constexpr double kNoFile = -1;

    void SetUp() override;
    void TearDown() override;
    // A new service on the output folder, as a start of the program makes
    // it, once it has taken in what the disk holds (unless told not to wait).
    void open(bool waitForDisk = true);
    // Lets the waiting conversions finish, ends the service and opens a new one.
    void reopen();
    // Looks at the output tree again and waits until the tree follows it.
    void rescan();

    RecGroup* root() const { return lib->root(); }
    // An expanded category at the end of the parent (the root by default),
    // with its folder unless told otherwise.
    RecGroup* category(const QString& title, RecGroup* parent = nullptr, bool makeFolder = true);
    // A recording at the end of the parent. Its file is a stereo AAC tone of
    // the given length; with no length, the title's bytes; with kNoFile, nothing.
    RecItem* recording(const QString& title, RecGroup* parent = nullptr, double seconds = 0);
    QString pathOf(const GeneralRecItem* row) const { return lib->restorePath(row); }
    QByteArray database() const;
    bool waitForConversions();

    // The tree under the group (the root by default) on one line.
    QString tree(const RecGroup* group = nullptr) const { return treeText(group ? group : root()); }

    QTemporaryDir home;
    QString out;
    Library::SeenFolder seen;
    QStringList messages;
    bool confirm = false;
    MediaFileJobs jobs;
    std::unique_ptr<Library> lib;
};
