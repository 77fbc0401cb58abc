// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecordingsDBReader.h"
#include "library/TreeFixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(f.readAll()).trimmed();
}

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// Each data file names, in a "files:" comment, the recordings that exist on
// disk beside it; the ".expected" file holds the tree that must load.
class ReaderFiles : public ::testing::TestWithParam<QString>
{
};

} // namespace

TEST_P(ReaderFiles, LoadsWhatTheFileAndTheDiskAllow)
{
    const QString dataDir = QString(VT_DATA_DIR) + "/reader/";
    const QString xmlPath = dataDir + GetParam() + ".xml";
    QFile xmlFile(xmlPath);
    ASSERT_TRUE(xmlFile.open(QIODevice::ReadOnly));
    const QByteArray xml = xmlFile.readAll();

    QTemporaryDir tmp;
    const QString out = tmp.path() + "/out";
    QDir().mkpath(out);
    const auto match = QRegularExpression("files: ([^>]*) -->").match(QString::fromUtf8(xml));
    if (match.hasMatch())
        for (const QString& f : match.captured(1).split(", "))
            touch(out + "/" + f);

    RecGroup root(RecGroup::Bare);
    RecordingsDBReader reader(out, PlainFactory::attach);
    reader.loadBytes(xml, &root);
    EXPECT_EQ(describeTree(&root), readText(dataDir + GetParam() + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Database, ReaderFiles,
                         ::testing::Values("missing-file", "required-attributes", "marks",
                                           "foreign-nodes", "numbers", "unsafe-titles", "truncated",
                                           "no-root", "mismatched-tags", "entity-bomb",
                                           "no-declaration-unicode"),
                         [](const auto& info) {
                             return QString(info.param).replace('-', '_').toStdString();
                         });

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
    QFile secret(tmp.path() + "/secret.txt");
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("SECRET");
    secret.close();
    touch(tmp.path() + "/A.m4a");

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
        RecordingsDBReader(tmp.path(), PlainFactory::attach).loadBytes(bytes, &root);
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
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::attach).loadBytes(xml, &root));
    int depth = 0;
    for (const RecGroup* g = &root; !g->subItems().isEmpty();
         g = static_cast<const RecGroup*>(g->subItems().first()))
        ++depth;
    EXPECT_EQ(depth, RecordingsDBReader::kMaxDepth);
}

TEST(DatabaseReader, FiftyMegabytesOfRecordingsLoadWhatExists)
{
    QTemporaryDir tmp;
    touch(tmp.path() + "/Kept.m4a");
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
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::attach).loadBytes(xml, &root));
    EXPECT_EQ(describeTree(&root), "I0 'Kept' '' '' 2 L0 {}");
}
