// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBReader.h"
#include "library/TreeFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Each broken or odd file of data/reader names, in a "files:" comment, the
// recordings that exist on disk beside it; its ".expected" file holds the
// tree that must load.
TEST(DatabaseReader, LoadsWhatEachDataFileAndTheDiskAllow)
{
    const QDir data(QStringLiteral(VT_DATA_DIR "/reader"));
    const QStringList files = data.entryList({"*.xml"});
    ASSERT_GE(files.size(), 11);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray xml = readFile(data.filePath(name));
        QTemporaryDir out;
        const auto match = QRegularExpression("files: ([^>]*) -->").match(QString::fromUtf8(xml));
        if (match.hasMatch())
            for (const QString& f : match.captured(1).split(", "))
                writeFile(out.filePath(f));
        RecGroup root(RecGroup::Bare);
        RecordingsDBReader(out.path(), PlainFactory::add).loadBytes(xml, &root);
        const QString expected = data.filePath(QString(name).replace(".xml", ".expected"));
        EXPECT_EQ(describeTree(&root), QString::fromUtf8(readFile(expected)).trimmed());
    }
}

TEST(DatabaseReader, LeadingNumbersAndBooleans)
{
    EXPECT_EQ(RecordingsDBReader::leadingDouble(u"  12.5 seconds"), 12.5);
    EXPECT_EQ(RecordingsDBReader::leadingDouble(u"-1E3"), -1000);
    EXPECT_EQ(RecordingsDBReader::leadingDouble(u"inf"), 0);
    EXPECT_EQ(RecordingsDBReader::leadingDouble(u"1e999"), 0);
    EXPECT_EQ(RecordingsDBReader::leadingInt(u"99999999999"), 2147483647);
    EXPECT_EQ(RecordingsDBReader::leadingInt(u"-5x"), -5);
    EXPECT_TRUE(RecordingsDBReader::leadingBool(u"true"));
    EXPECT_TRUE(RecordingsDBReader::leadingBool(u"1"));
    EXPECT_FALSE(RecordingsDBReader::leadingBool(u"0"));
    EXPECT_FALSE(RecordingsDBReader::leadingBool(u""));
}

TEST(DatabaseReader, HostileFilesLoadNothingAndFetchNothing)
{
    QTemporaryDir tmp;
    writeFile(tmp.path() + "/secret.txt", "SECRET");
    writeFile(tmp.path() + "/A.m4a");

    const QByteArray external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Recordings [<!ENTITY xxe SYSTEM \"file://" +
        tmp.path().toUtf8() +
        "/secret.txt\">]>\n<Recordings><Item ID=\"1\" Title=\"A\" "
        "Description=\"&xxe;\" CreateDate=\"\" Duration=\"1\"/>"
        "</Recordings>";
    QByteArray garbage(1 << 16, '\0');
    QRandomGenerator rng(42);
    for (char& c : garbage)
        c = char(rng.bounded(256));

    for (const QByteArray& bytes : {external, garbage, QByteArray(), QByteArray("<")}) {
        RecGroup root(RecGroup::Bare);
        RecordingsDBReader(tmp.path(), PlainFactory::add).loadBytes(bytes, &root);
        EXPECT_FALSE(describeTree(&root).contains("SECRET"));
    }
}

TEST(DatabaseReader, DeepNestingStopsAtTheDepthLimit)
{
    const int levels = 10000;
    QByteArray xml = "<Recordings>";
    for (int i = 0; i < levels; ++i)
        xml += "<Group ID=\"" + QByteArray::number(i) +
               "\" Title=\"g\" Expanded=\"1\" Description=\"\">";
    for (int i = 0; i < levels; ++i)
        xml += "</Group>";
    xml += "</Recordings>";

    RecGroup root(RecGroup::Bare);
    QTemporaryDir tmp;
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::add).loadBytes(xml, &root));
    int depth = 0;
    for (const RecGroup* g = &root; !g->subItems().isEmpty();
         g = static_cast<const RecGroup*>(g->subItems().first()))
        ++depth;
    EXPECT_EQ(depth, RecordingsDBReader::kMaxDepth);
}

TEST(DatabaseReader, FiftyMegabytesOfRecordingsLoadWhatExists)
{
    QTemporaryDir tmp;
    writeFile(tmp.path() + "/Kept.m4a");
    QByteArray xml = "<Recordings>\n";
    const QByteArray filler(400, 'x');
    int n = 0;
    while (xml.size() < 50 * 1024 * 1024) {
        const QByteArray id = QByteArray::number(n++);
        xml += "<Item ID=\"" + id + "\" Title=\"Missing " + id + "\" Description=\"" + filler +
               "\" CreateDate=\"\" Duration=\"1\"/>\n";
    }
    xml += "<Item ID=\"0\" Title=\"Kept\" Description=\"\" CreateDate=\"\" Duration=\"2\"/>\n"
           "</Recordings>\n";
    RecGroup root(RecGroup::Bare);
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::add).loadBytes(xml, &root));
    EXPECT_EQ(describeTree(&root), "I0 'Kept' '' '' 2 L0 {}");
}
