// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/AppFixture.h"

#include "app/Settings.h"
#include "shell/ProgressSheet.h"
#include "support/Media.h"
#include "support/TestFiles.h"
#include "support/Wait.h"
#include "widgets/Messages.h"

#include <QDir>

void AppFixture::SetUp()
{
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    QSettings().clear();
    setMessagePresenter([this](const QString& text) { messages << text; });
    setConfirmPresenter([this](const QString& text) {
        messages << text;
        return confirm;
    });
    out = home.path() + "/outer/rec";
    QDir().mkpath(out);
    launch();
}

void AppFixture::TearDown()
{
    if (app)
        app->quit();
    app.reset();
    setMessagePresenter({});
    setConfirmPresenter({});
}

void AppFixture::launch()
{
    app = std::make_unique<VoiceTrayApp>();
    app->settings().setOutputFolder(out);
    configure(app->settings());
    app->start();
    library = &app->library();
    session = &app->session();
    window = &app->window();
    prefs = &app->preferences();
    outline = window->outlineController();
}

void AppFixture::relaunch()
{
    app->quit();
    app.reset();
    launch();
}

RecGroup* AppFixture::category(const QString& title, RecGroup* parent, bool makeFolder)
{
    auto owned = library->newCategory();
    RecGroup* group = owned.get();
    group->setTitle(title);
    group->setExpanded(true);
    library->add(std::move(owned), parent ? parent : root());
    if (makeFolder)
        QDir().mkpath(library->restorePath(group));
    return group;
}

RecItem* AppFixture::recording(const QString& title, RecGroup* parent, double seconds)
{
    auto owned = library->newRecording();
    RecItem* item = owned.get();
    item->setTitle(title);
    library->add(std::move(owned), parent ? parent : root());
    if (seconds > 0)
        EXPECT_TRUE(makeTone(library->restorePath(item), seconds, {"-ac", "2", "-c:a", "aac"}));
    else if (seconds == 0)
        writeFile(library->restorePath(item), title.toUtf8());
    return item;
}

QByteArray AppFixture::database() const
{
    return readFile(out + "/RecordingsDB.xml");
}

bool AppFixture::waitForConversions()
{
    return waitUntil(
        [this] {
            return library->pendingImports().isEmpty() && !window->progressSheet()->isSheetShown();
        },
        120000);
}
