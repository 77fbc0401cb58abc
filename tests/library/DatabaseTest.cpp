// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DatabaseMerger.h"
#include "library/FileFingerprint.h"
#include "library/FileLookup.h"
#include "library/LibraryPaths.h"
#include "library/RecordingsDBParser.h"
#include "library/RecordingsDBReader.h"
#include "library/TreeFixture.h"
#include "library/WalkRows.h"
#include "library/XMLCreator.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <bit>
#include <charconv>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

// Each broken or odd file of data/reader names, in a "files:" comment, the
// recordings that exist on disk beside it; its ".expected" file holds the
// tree that must load.
TEST(DatabaseReader, LoadsWhatEachDataFileAndTheDiskAllow)
{
    const QDir data(QStringLiteral(VT_DATA_DIR "/reader"));
    const QStringList files = data.entryList({"*.xml"});
    ASSERT_GE(files.size(), 12);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        // Read from the file, as a library is: what the strict parse declines
        // the full reader reads from the file again.
        const QByteArray xml = readFile(data.filePath(name));
        QTemporaryDir out;
        const auto match = QRegularExpression("files: ([^>]*) -->").match(QString::fromUtf8(xml));
        if (match.hasMatch())
            for (const QString& f : match.captured(1).split(", "))
                writeFile(out.filePath(f));
        RecGroup root(RecGroup::Bare);
        RecordingsDBReader(out.path(), PlainFactory::attach).load(data.filePath(name), &root);
        const QString expected = data.filePath(QString(name).replace(".xml", ".expected"));
        EXPECT_EQ(describeTree(&root), QString::fromUtf8(readFile(expected)).trimmed());
    }
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

TEST(DatabaseReader, FiftyMegabytesOfRecordingsLoadAndKeepRowsWhoseFileIsMissing)
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
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::attach).loadBytes(xml, &root));
    ASSERT_EQ(root.subItems().size(), n + 1);
    EXPECT_TRUE(root.subItems().first()->asItem()->isFileMissing());
    const RecItem* kept = root.subItems().last()->asItem();
    EXPECT_EQ(kept->title(), "Kept");
    EXPECT_FALSE(kept->isFileMissing());
}

namespace {

const QStringList kAwkward = {
    "plain",  "  both  ", "line\nbreak",   "carriage\rreturn", "crlf\r\nend", "<>&\"'",
    "Запись", "مرحبا",    "emoji 🎙️", "&amp; literal",    "]]>",         "\n\t ",
};

// Fingerprints as FileFingerprint makes them and in forms close to those.
const QString kHash = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
const QString kPrints[] = {"0:" + kHash,
                           "1048576:" + kHash,
                           "007:" + kHash,
                           "5:" + kHash.toUpper(),
                           "-5:" + kHash,
                           "5:" + kHash.left(39),
                           "123456789012345678:" + kHash,
                           "1234567890123456789:" + kHash,
                           "5:9f0a",
                           "5:" + kHash + "0",
                           ":" + kHash};

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
                if (m_rng.bounded(2))
                    item->setFingerprint(kPrints[m_rng.bounded(int(std::size(kPrints)))]);
                const int marks = int(m_rng.bounded(0, 6));
                for (int m = 0; m < marks; ++m)
                    item->addMarkAtTime(float(m_rng.generateDouble() * 1000), pick(),
                                        int(m_rng.bounded(0, 100)));
                PlainFactory::add(item, group);
                writeFile(LibraryPaths::restorePath(m_out, item, root));
            }
        }
    }

private:
    QString pick() { return kAwkward[int(m_rng.bounded(kAwkward.size()))]; }

    QRandomGenerator m_rng;
    QString m_out;
    int m_nextID = 0;
};

// Elements and the decoded values of these attributes in document order;
// empty for a document a reader refuses.
const char* const kShownAttributes[] = {"ID", "Title", "Description", "Offset", "x", "y"};

QStringList fullReaderEvents(const QByteArray& xml)
{
    QStringList events;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            events << reader.name().toString();
            for (const char* key : kShownAttributes)
                if (reader.attributes().hasAttribute(key))
                    events << QString(key) + "=" + reader.attributes().value(key).toString();
        } else if (reader.isEndElement()) {
            events << "/";
        }
    }
    return reader.hasError() || events.isEmpty() ? QStringList() : events;
}

QStringList strictParseEvents(QByteArray xml)
{
    struct Events : RecordingsDBParser::Handler
    {
        QStringList list;
        void startElement(QByteArrayView name, const RecordingsDBParser::Attributes& a) override
        {
            list << QString::fromLatin1(name);
            for (const char* key : kShownAttributes)
                if (a.has(key))
                    list << QString(key) + "=" + a.text(key);
        }
        void endElement() override { list << "/"; }
    } events;
    return RecordingsDBParser::parse(xml, events) ? events.list : QStringList();
}

} // namespace

// The strict parse must read what it takes exactly as the full XML reader
// does, and leave every file it cannot read so to the full reader.
TEST(DatabaseReader, TheStrictParseTakesOnlyWhatItReadsAsTheFullReaderDoes)
{
    const QByteArray cases[] = {
        "<R x=\"&lt;&gt;&amp;&quot;&apos;&#10;&#x1F399;&#9;\" y='\xef\xbb\xbf\xc3\xa9'/>",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<R><!-- c --><Item ID=\"1\"/>t</R>\n",
        "<?xml version='1.0'?><R/><!-- after -->",
        "<R x=\"&#0;\"/>",
        "<R x=\"&#xD800;\"/>",
        "<R x=\"&#xFFFE;\"/>",
        "<R x=\"&#X41;\"/>",
        "<R x=\"&foo;\"/>",
        "<R x=\"a\nb\"/>",
        "<R x=\"a\tb\"/>",
        "<R x=\"<\"/>",
        "<R x=\"\xc3\"/>",
        "<R x=\"\xc0\xaf\"/>",
        "<R x=\"\xed\xa0\x80\"/>",
        "<R x=\"\x01\"/>",
        "<R x=\"\xef\xbf\xbe\"/>",
        "<R x=\"\xf4\x90\x80\x80\"/>",
        "<R x=\"1\" x=\"2\"/>",
        "<R x=\"1\"y=\"2\"/>",
        "<R xmlns=\"u\"/>",
        "<a:R/>",
        "<R a:x=\"1\"/>",
        "<R>]]></R>",
        "<R>&amp</R>",
        "<R><!-- a--b --></R>",
        "<R/><R/>",
        "<R/>text",
        "<R></S>",
        "<R><Item>",
        "\xef\xbb\xbf<R/>",
        " <?xml version=\"1.0\"?><R/>",
        "<?xml version=\"1.1\"?><R/>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R x=\"\xe9\"/>",
        "<?xml version=\"1.0\" standalone=\"yes\"?><R/>",
        "<!DOCTYPE R><R/>",
        "<?pi?><R/>",
        "<R><![CDATA[x]]></R>",
        "",
    };
    const auto compare = [](const QByteArray& xml) {
        SCOPED_TRACE(xml.toStdString());
        const QStringList strict = strictParseEvents(xml);
        if (!strict.isEmpty()) {
            EXPECT_EQ(strict, fullReaderEvents(xml));
        }
    };
    for (const QByteArray& xml : cases)
        compare(xml);
    // What the writer writes, awkward texts and all, takes the strict parse;
    // so does no file with a byte of it changed or cut that the full reader
    // would read otherwise.
    QTemporaryDir tmp;
    RecGroup saved(RecGroup::Bare);
    RandomTree(7, tmp.path()).fill(&saved, &saved, 0);
    const QByteArray written = XMLCreator().document(&saved);
    EXPECT_EQ(strictParseEvents(written), fullReaderEvents(written));
    QRandomGenerator rng(11);
    const char bytes[] = "<>&;\"'=/!-?[]#x \t\n\xc3\xa9\x01";
    for (int i = 0; i < 3000; ++i) {
        QByteArray mutated = written;
        const qsizetype at = rng.bounded(mutated.size());
        if (i % 10 == 0)
            mutated.truncate(at);
        else
            mutated[at] = bytes[rng.bounded(int(sizeof bytes - 1))];
        compare(mutated);
    }
}

// Numbers are read as Qt converts them, whatever their form or size; what
// is out of range reads as zero.
TEST(DatabaseReader, NumbersReadAsQtConvertsThem)
{
    QByteArrayList numbers = {"+.5",
                              "5.",
                              "-0",
                              "1e400",
                              "-1e400",
                              "1e-400",
                              "4.9e-324",
                              "2.2250738585072014e-308",
                              "2.2250738585072011e-308",
                              "1.7976931348623157e308",
                              "1.7976931348623159e308",
                              "0.1000000000000000055511151231257827021181583404541015625",
                              QByteArray(400, '9') + "e-300",
                              "0." + QByteArray(330, '0') + "1"};
    QRandomGenerator rng(5);
    const auto digits = [&](int most) {
        QByteArray d;
        for (int n = int(rng.bounded(most + 1)); n > 0; --n)
            d += char('0' + rng.bounded(10));
        return d;
    };
    const char* const signs[] = {"", "+", "-"};
    while (numbers.size() < 3000) {
        const QByteArray mantissa = digits(20) + (rng.bounded(2) ? "." + digits(20) : "");
        if (mantissa.isEmpty() || mantissa == ".")
            continue;
        numbers << signs[rng.bounded(3)] + mantissa +
                       (rng.bounded(2) ? "e" + QByteArray(signs[rng.bounded(3)]) + digits(2) +
                                             char('0' + rng.bounded(10))
                                       : QByteArray());
    }
    QByteArray xml = "<R>";
    for (qsizetype i = 0; i < numbers.size(); ++i)
        xml += "<Item Title=\"t" + QByteArray::number(i) +
               "\" Description=\"\" CreateDate=\"\" ID=\"1\" Duration=\"" + numbers[i] + "\"/>";
    RecGroup root(RecGroup::Bare);
    ASSERT_TRUE(
        RecordingsDBReader("/nowhere", PlainFactory::attach).loadBytes(xml + "</R>", &root));
    ASSERT_EQ(root.subItems().size(), numbers.size());
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const double qt = numbers[i].toDouble();
        const double expected = std::isfinite(qt) ? qt : 0;
        EXPECT_EQ(std::bit_cast<quint64>(root.subItems()[i]->asItem()->duration()),
                  std::bit_cast<quint64>(expected))
            << numbers[i].toStdString();
        EXPECT_EQ(std::bit_cast<quint64>(
                      RecordingsDBReader::leadingDouble(QString::fromLatin1(numbers[i]))),
                  std::bit_cast<quint64>(expected))
            << numbers[i].toStdString();
    }
}

// Recordings are looked for by folder listing; what a listing cannot tell
// is asked for file by file, so the answers are those of the file system.
TEST(DatabaseReader, FilesAreFoundAsTheFileSystemHasThem)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    writeFile(dir + "/A/file.m4a");
    QDir().mkpath(dir + "/A/folder.m4a");
    QFile::link(dir + "/A/file.m4a", dir + "/A/link.m4a");
    QFile::link(dir + "/A/gone.m4a", dir + "/A/dangling.m4a");
    writeFile(dir + "/plain");
    FileLookup files;
    for (const char* name : {"file.m4a", "link.m4a", "folder.m4a", "dangling.m4a", "none.m4a"})
        EXPECT_EQ(files.isFile(dir + "/A", name), QFileInfo(dir + "/A/" + name).isFile()) << name;
    EXPECT_FALSE(files.isFile(dir + "/missing", "file.m4a"));
    EXPECT_FALSE(files.isFile(dir + "/plain", "file.m4a"));
    writeFile(dir + "/A/later.m4a");
    files.clear();
    EXPECT_TRUE(files.isFile(dir + "/A", "later.m4a"));
}

// A row keeps the usual form of a fingerprint packed; every text, of that
// form or not, comes back as it was set, and names the size it names.
TEST(DatabaseRoundTrip, FingerprintsComeBackAsSet)
{
    for (const QString& print : kPrints) {
        RecItem item;
        item.setFingerprint(print);
        EXPECT_EQ(item.fingerprint(), print);
        EXPECT_EQ(item.fingerprintedSize(), FileFingerprint::sizeOf(print)) << print.toStdString();
    }
}

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

// Files older versions wrote with Qt's XML writer; the library's own writer
// must write the same bytes, so that those versions read what this one saves.
QByteArray qtWriterDocument(const RecGroup* root)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement("Recordings");
    const auto text = [](const QString& value) {
        QString kept;
        for (const QChar c : value)
            if ((c.unicode() >= 0x20 || c == '\t' || c == '\n' || c == '\r') &&
                c != QChar(0xFFFE) && c != QChar(0xFFFF))
                kept += c;
        return kept;
    };
    const auto number = [](auto value) {
        char buf[64];
        return QString::fromLatin1(buf, std::to_chars(buf, buf + sizeof buf, value).ptr - buf);
    };
    const std::function<void(const RecGroup*)> save = [&](const RecGroup* group) {
        for (const GeneralRecItem* row : group->subItems()) {
            xml.writeStartElement(row->isGroup() ? "Group" : "Item");
            xml.writeAttribute("ID", QString::number(row->ID()));
            xml.writeAttribute("Title", text(row->title()));
            if (const RecGroup* sub = row->asGroup()) {
                xml.writeAttribute("Expanded", sub->isExpanded() ? "true" : "false");
                xml.writeAttribute("Description", text(sub->descr()));
                save(sub);
            } else {
                const RecItem* item = row->asItem();
                xml.writeAttribute("Description", text(item->descr()));
                xml.writeAttribute("CreateDate", text(item->date()));
                xml.writeAttribute("Duration", number(item->duration()));
                if (!item->fingerprint().isEmpty())
                    xml.writeAttribute("Fingerprint", item->fingerprint());
                for (const auto& mark : item->marks()) {
                    xml.writeEmptyElement("Mark");
                    xml.writeAttribute("Offset", number(mark.offset()));
                    xml.writeAttribute("ID", QString::number(mark.markID()));
                    xml.writeAttribute("Description", text(mark.descr()));
                }
            }
            xml.writeEndElement();
        }
    };
    save(root);
    xml.writeEndDocument();
    return bytes;
}

TEST(DatabaseRoundTrip, SavedBytesAreThoseOlderVersionsWrote)
{
    QTemporaryDir tmp;
    for (quint32 seed = 1; seed <= 5; ++seed) {
        RecGroup root(RecGroup::Bare);
        RandomTree(seed, tmp.path()).fill(&root, &root, 0);
        auto* pasted = new RecItem;
        pasted->setTitle("pasted");
        pasted->setDescr(QString("control \x01\x1f\uFFFE dropped"));
        PlainFactory::add(pasted, &root);
        EXPECT_EQ(XMLCreator().document(&root).toStdString(), qtWriterDocument(&root).toStdString())
            << "seed " << seed;
    }
    RecGroup empty(RecGroup::Bare);
    EXPECT_EQ(XMLCreator().document(&empty), qtWriterDocument(&empty));

    // Where Qt's writer left a broken file, a lone surrogate (half of an
    // emoji cut off) is saved as the replacement character.
    RecGroup root(RecGroup::Bare);
    auto* cut = new RecItem;
    cut->setTitle("cut");
    cut->setDescr(QString("half ") + QChar(0xD83C));
    PlainFactory::add(cut, &root);
    RecGroup loaded(RecGroup::Bare);
    ASSERT_TRUE(RecordingsDBReader(tmp.path(), PlainFactory::attach)
                    .loadBytes(XMLCreator().document(&root), &loaded));
    EXPECT_EQ(loaded.subItems().first()->descr(), QString("half \uFFFD"));
}

TEST(DatabaseRoundTrip, FailedSaveKeepsTheOldFile)
{
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/RecordingsDB.xml";
    RecGroup root(RecGroup::Bare);
    ASSERT_TRUE(XMLCreator().createXML(&root, db));
    const QByteArray before = readFile(db);

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
    EXPECT_EQ(readFile(db), before);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DatabaseRoundTrip, SaveIntoAPathThatCannotBeAFolderFails)
{
    QTemporaryDir tmp;
    writeFile(tmp.path() + "/file");
    RecGroup root(RecGroup::Bare);
    EXPECT_FALSE(XMLCreator().createXML(&root, tmp.path() + "/file/sub/RecordingsDB.xml"));
    EXPECT_FALSE(XMLCreator().createXML(nullptr, tmp.path() + "/x.xml"));
}

// Base, here and there: three versions of one library as the file holds them.
TEST(DatabaseMerge, EachSideKeepsWhatOnlyItChangedAndTheNewerChangeWinsWhereBothDid)
{
    const auto tree = [](const QByteArray& rows) {
        auto root = std::make_unique<RecGroup>(RecGroup::Bare);
        EXPECT_TRUE(RecordingsDBReader("/nowhere", PlainFactory::attach)
                        .loadBytes("<Recordings>" + rows + "</Recordings>", root.get()));
        return root;
    };
    const auto item = [](const char* title, const char* descr, const QByteArray& marks = "") {
        return QByteArray("<Item ID=\"1\" Title=\"") + title + "\" Description=\"" + descr +
               "\" CreateDate=\"\" Duration=\"1\">" + marks + "</Item>";
    };
    const auto mark = [](int id, const char* text) {
        return "<Mark Offset=\"1\" ID=\"" + QByteArray::number(id) + "\" Description=\"" + text +
               "\"/>";
    };
    const auto cat = [](const QByteArray& rows) {
        return "<Group ID=\"2\" Title=\"Cat\" Expanded=\"1\" Description=\"\">" + rows + "</Group>";
    };
    const auto brief = [](const RecGroup* root) {
        QStringList rows;
        walkRows(root, [&](const GeneralRecItem* row) {
            QString text = row->title() + ":" + row->descr();
            if (const RecItem* i = row->asItem())
                for (const auto& m : i->marks())
                    text += QString(",%1=%2").arg(m.markID()).arg(m.descr());
            rows << text;
        });
        return rows.join(' ');
    };
    for (const bool diskNewer : {false, true}) {
        const auto base = tree(item("A", "a", mark(0, "n")) + item("B", "b") + item("C", "c") +
                               cat(item("Inner", "i")));
        const auto here = tree(item("A", "a here", mark(0, "n")) + item("C", "c") + item("L", "l") +
                               cat(item("Inner", "i")));
        const auto there = tree(item("A", "a there", mark(0, "n there") + mark(1, "m")) +
                                item("B", "b") + cat("") + item("D", "d"));
        DatabaseMerger merger;
        merger.setBase(base.get());
        EXPECT_TRUE(merger.merge(
            here.get(), there.get(), diskNewer, PlainFactory::attach,
            [](GeneralRecItem* row) { (void)row->parent()->asGroup()->removeSubItem(row); }));
        EXPECT_EQ(brief(here.get()),
                  QString("A:a %1,0=n there,1=m L:l Cat: D:d").arg(diskNewer ? "there" : "here"));
    }
}
