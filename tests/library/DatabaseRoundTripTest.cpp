// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/LibraryPaths.h"
#include "library/RecordingsDBReader.h"
#include "library/TreeFixture.h"
#include "library/XMLCreator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const QStringList kAwkward = {
    "plain",
    " leading",
    "trailing ",
    "  both  ",
    "line\nbreak",
    "tab\there",
    "carriage\rreturn",
    "crlf\r\nend",
    "<>&\"'",
    "Запись",
    "日本語の会議",
    "مرحبا",
    "emoji 🎙️",
    "&amp; literal",
    "]]>",
    "\n\t ",
};

class RandomTree
{
public:
    RandomTree(quint32 seed, const QString& outputFolder) : m_rng(seed), m_out(outputFolder) {}

    void fill(RecGroup* group, RecGroup* root, int depth)
    {
        const int count = int(m_rng.bounded(1, 6));
        for (int i = 0; i < count; ++i) {
            const QString title = QString("%1 %2").arg(pick()).arg(m_nextID);
            if (depth < 4 && m_rng.bounded(3) == 0) {
                auto* g = new RecGroup;
                g->setTitle(title);
                g->setID(m_nextID++);
                g->setDescr(pick());
                g->setExpanded(m_rng.bounded(2) == 1);
                PlainFactory::add(g, group);
                fill(g, root, depth + 1);
            } else {
                auto* item = new RecItem;
                item->setTitle(title);
                item->setID(m_nextID++);
                item->setDescr(pick() + pick());
                item->setDate(pick());
                item->setDuration(m_rng.generateDouble() * 10000);
                const int marks = int(m_rng.bounded(0, 6));
                for (int m = 0; m < marks; ++m)
                    item->addMarkAtTime(float(m_rng.generateDouble() * 1000), pick(),
                                        int(m_rng.bounded(0, 100)));
                PlainFactory::add(item, group);
                const QString file = LibraryPaths::restorePath(m_out, item, root);
                QDir().mkpath(QFileInfo(file).absolutePath());
                QFile f(file);
                EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
            }
        }
    }

private:
    QString pick() { return kAwkward[int(m_rng.bounded(kAwkward.size()))]; }

    QRandomGenerator m_rng;
    QString m_out;
    int m_nextID = 0;
};

} // namespace

TEST(DatabaseRoundTrip, RandomTreesLoadBackExactly)
{
    for (quint32 seed = 1; seed <= 25; ++seed) {
        QTemporaryDir tmp;
        const QString out = tmp.path() + "/Voice Recordings";
        RecGroup saved(RecGroup::Bare);
        RandomTree(seed, out).fill(&saved, &saved, 0);

        const QString db = LibraryPaths::databasePath(out);
        ASSERT_TRUE(XMLCreator().createXML(&saved, db));

        RecGroup loaded(RecGroup::Bare);
        ASSERT_TRUE(RecordingsDBReader(out, PlainFactory::attach).load(db, &loaded));
        ASSERT_EQ(describeTree(&loaded), describeTree(&saved)) << "seed " << seed;
    }
}

TEST(DatabaseRoundTrip, WriterOrderAndEmptyLibrary)
{
    RecGroup root(RecGroup::Bare);
    const QByteArray empty = XMLCreator().document(&root);
    EXPECT_TRUE(empty.contains("<Recordings/>") || empty.contains("<Recordings></Recordings>"));

    auto* item = new RecItem;
    item->setTitle("Talk");
    item->setID(3);
    item->setDuration(12.5);
    item->addMarkAtTime(30, "b", 1);
    item->addMarkAtTime(10, "a", 0);
    PlainFactory::add(item, &root);
    const QString xml = QString::fromUtf8(XMLCreator().document(&root));
    EXPECT_TRUE(xml.contains("<Item ID=\"3\" Title=\"Talk\" Description=\"\" CreateDate=\"\" "
                             "Duration=\"12.5\">"))
        << xml.toStdString();
    EXPECT_LT(xml.indexOf("Offset=\"30\""), xml.indexOf("Offset=\"10\""));
    EXPECT_TRUE(xml.contains("\n    <Mark ")); // one element per line, indented
}

TEST(DatabaseRoundTrip, FailedSaveKeepsTheOldFile)
{
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/RecordingsDB.xml";
    RecGroup root(RecGroup::Bare);
    ASSERT_TRUE(XMLCreator().createXML(&root, db));
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    auto* item = new RecItem;
    item->setTitle("New");
    item->setDescr(QString(4096, 'x'));
    PlainFactory::add(item, &root);
    // A file size limit makes the write fail for any user, root included.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = XMLCreator().createXML(&root, db);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DatabaseRoundTrip, SaveIntoAPathThatCannotBeAFolderFails)
{
    QTemporaryDir tmp;
    QFile blocker(tmp.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    RecGroup root(RecGroup::Bare);
    EXPECT_FALSE(XMLCreator().createXML(&root, tmp.path() + "/file/sub/RecordingsDB.xml"));
    EXPECT_FALSE(XMLCreator().createXML(nullptr, tmp.path() + "/x.xml"));
}
