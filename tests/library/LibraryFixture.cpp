// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryFixture.h"

#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"

#include <QDir>

void LibraryFixture::SetUp()
{
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    out = home.path() + "/outer/rec";
    QDir().mkpath(out);
    open();
}

void LibraryFixture::TearDown()
{
    lib.reset();
}

void LibraryFixture::open(bool waitForDisk)
{
    lib = std::make_unique<Library>(&jobs);
    QObject::connect(lib.get(), &Library::message,
                     [this](const QString& text) { messages << text; });
    QObject::connect(lib.get(), &Library::folderSeen,
                     [this](const Library::SeenFolder& folder) { seen = folder; });
    lib->setConfirm([this](const QString& question, const QString&) {
        messages << question;
        return confirm;
    });
    lib->open(out, seen);
    lib->enableSaving();
    if (waitForDisk) {
        EXPECT_TRUE(waitUntil([this] { return !lib->isScanning(); }));
    }
}

void LibraryFixture::rescan()
{
    lib->rescan();
    EXPECT_TRUE(waitUntil([this] { return !lib->isScanning(); }));
}

void LibraryFixture::reopen()
{
    lib->finishImports();
    lib.reset();
    open();
}

RecGroup* LibraryFixture::category(const QString& title, RecGroup* parent, bool makeFolder)
{
    auto row = lib->newCategory();
    row->setTitle(title);
    row->setExpanded(true);
    auto* group = static_cast<RecGroup*>(lib->add(std::move(row), parent ? parent : root()));
    if (makeFolder)
        QDir().mkpath(pathOf(group));
    return group;
}

RecItem* LibraryFixture::recording(const QString& title, RecGroup* parent, double seconds)
{
    auto row = lib->newRecording();
    row->setTitle(title);
    auto* item = static_cast<RecItem*>(lib->add(std::move(row), parent ? parent : root()));
    if (seconds > 0)
        EXPECT_TRUE(makeTone(pathOf(item), seconds, {"-ac", "2", "-c:a", "aac"}));
    else if (seconds == 0)
        writeFile(pathOf(item), title.toUtf8());
    return item;
}

QByteArray LibraryFixture::database() const
{
    return readFile(out + "/RecordingsDB.xml");
}

bool LibraryFixture::waitForConversions()
{
    return waitUntil([this] { return lib->pendingImports().isEmpty() && !lib->isBusy(); }, 120000);
}
