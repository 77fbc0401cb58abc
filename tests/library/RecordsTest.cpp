// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/MarkFiles.h"
#include "library/SearchIndex.h"
#include "library/TitleRules.h"
#include "library/TreeFixture.h"

#include <functional>
#include <gtest/gtest.h>

TEST(Records, DurationTextTruncatesEachUnit)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0s"}, {59.9, "59s"}, {61, "1m 1s"}, {3600, "1h 0m 0s"}, {3725.5, "1h 2m 5s"}};
    for (auto [seconds, text] : cases)
        EXPECT_EQ(RecItem::durationText(seconds), text) << seconds;
}

TEST(Records, MarkIdsAreUniqueAndNextIsOneAboveTheLargest)
{
    RecItem item;
    EXPECT_EQ(item.createMarkID(), 0);
    EXPECT_TRUE(item.addMarkAtTime(30, "late", 0));
    EXPECT_TRUE(item.addMarkAtTime(10, "early", 4));
    EXPECT_TRUE(item.addMarkAtTime(10, "same place", 2));
    EXPECT_FALSE(item.addMarkAtTime(5, "duplicate", 4));
    ASSERT_EQ(item.marks().size(), 3u);
    EXPECT_EQ(item.marks()[0].descr(), "late"); // kept in the order added
    EXPECT_EQ(item.createMarkID(), 5);
    EXPECT_EQ(item.markByID(4)->descr(), "early");
    item.removeMark(item.markByID(4));
    EXPECT_EQ(item.markByID(4), nullptr);
    EXPECT_EQ(item.createMarkID(), 3);
}

TEST(Records, MarksTravelThroughLabelFilesAndCueSheets)
{
    RecItem rec;
    rec.setTitle(QStringLiteral("Call \"A\""));
    rec.setDuration(4000);
    const QString notes[] = {QStringLiteral("tab\there\tand there"),
                             QStringLiteral("two\nlines\r\n"), QStringLiteral("Привет, 世界 \\n"),
                             QString()};
    const float offsets[] = {3723.123456f, 0.5f, 61.25f, 0};
    for (int i = 0; i < 4; ++i)
        rec.addMarkAtTime(offsets[i], notes[i], i);
    const QString labels = MarkFiles::labelText(rec);
    EXPECT_EQ(labels.count(u'\n'), 4);
    EXPECT_TRUE(labels.startsWith("0.000000\t0.000000\t\n0.500000\t0.500000\ttwo\\nlines"));

    RecItem back;
    back.setDuration(4000);
    std::vector<MarkFiles::Label> parsed;
    int badLine = -1;
    ASSERT_TRUE(MarkFiles::parseLabels(labels, parsed, badLine));
    EXPECT_EQ(MarkFiles::addLabels(back, parsed), 4);
    for (const auto& mark : rec.marks()) {
        const auto same = std::count_if(back.marks().begin(), back.marks().end(), [&](auto& m) {
            return m.offset() == mark.offset() && m.descr() == mark.descr();
        });
        EXPECT_EQ(same, 1) << mark.descr().toStdString();
    }

    const QString cue = MarkFiles::cueText(rec, QStringLiteral("Call.m4a"));
    EXPECT_TRUE(cue.startsWith("TITLE \"Call 'A'\"\nFILE \"Call.m4a\" WAVE\n"));
    EXPECT_TRUE(
        cue.contains("  TRACK 02 AUDIO\n    TITLE \"two lines  \"\n    INDEX 01 00:00:38\n"));
    EXPECT_TRUE(cue.contains(
        "  TRACK 04 AUDIO\n    TITLE \"tab here and there\"\n    INDEX 01 62:03:09\n"));

    // Labels of an editor's file: spans, frequency lines, Windows line ends,
    // times beyond the recording held within it; one broken line refuses all.
    back.setDuration(10);
    ASSERT_TRUE(MarkFiles::parseLabels(
        "1.5\t2.5\tspan\r\n\\\t100\t2000\r\n-3\t-3\r\n99\t99\tlate\n", parsed, badLine));
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[0].note, "span");
    RecItem clamped;
    clamped.setDuration(10);
    MarkFiles::addLabels(clamped, parsed);
    EXPECT_EQ(clamped.marks()[1].offset(), 0.0f);
    EXPECT_EQ(clamped.marks()[2].offset(), 10.0f);
    for (const char* broken : {"1\t1\tok\nnot a label\n", "1\t1\tok\n\nx\t2\n", "1\tinf\tok\n"}) {
        EXPECT_FALSE(MarkFiles::parseLabels(broken, parsed, badLine)) << broken;
        EXPECT_TRUE(parsed.empty());
    }
    EXPECT_EQ(badLine, 1);
}

TEST(Records, LevelsFollowMovesAndCollapsingHidesOnlyDirectSubItems)
{
    RecGroup root(RecGroup::Bare);
    auto* outer = new RecGroup;
    auto* inner = new RecGroup;
    auto* direct = new RecItem;
    auto* deep = new RecItem;
    PlainFactory::add(outer, &root);
    PlainFactory::add(direct, outer);
    PlainFactory::add(inner, outer);
    PlainFactory::add(deep, inner);
    EXPECT_EQ(deep->level(), 2);
    outer->setExpanded(true);
    inner->setExpanded(false);
    direct->setSelected(true);
    deep->setSelected(true);

    outer->setExpanded(false);
    EXPECT_TRUE(direct->isHidden());
    EXPECT_FALSE(direct->selected());
    EXPECT_TRUE(deep->selected());
    outer->setExpanded(true);
    EXPECT_FALSE(inner->isHidden());
    EXPECT_TRUE(deep->isHidden()); // its own category is still collapsed
    // Moving a category to the top level carries its subtree along.
    PlainFactory::attach(outer->removeSubItem(inner), &root);
    inner->recalcLevel();
    EXPECT_EQ(deep->level(), 1);
}

TEST(Records, SubItemsByTitleAndInsertion)
{
    RecGroup root(RecGroup::Bare);
    auto* talk = new RecItem;
    talk->setTitle("Small Talk");
    PlainFactory::add(talk, &root);
    EXPECT_EQ(root.subItemByTitle("small talk"), talk);
    auto* first = new RecItem;
    EXPECT_EQ(root.insertItemBefore(std::unique_ptr<GeneralRecItem>(first), talk), nullptr);
    EXPECT_EQ(root.subItems(), (QList<GeneralRecItem*>{first, talk}));
    // Before a row of another category: nothing, and the row comes back.
    RecItem stranger;
    auto item = std::make_unique<RecItem>();
    RecItem* row = item.get();
    EXPECT_EQ(root.insertItemBefore(std::move(item), &stranger).get(), row);
    EXPECT_EQ(root.subItems().size(), 2);
}

TEST(Records, OnlySinglePathComponentsAreSafeTitles)
{
    for (const QString& bad :
         {QString(""), QString("."), QString(".."), QString("a/b"), QString("/"),
          QString("x") + QChar(0), QString("a\x01b"), QString("a") + QChar(0xFFFE),
          QString("lone ") + QChar(0xD800) + "x"})
        EXPECT_FALSE(TitleRules::isSafeTitle(bad)) << bad.toStdString();
    for (const char* good :
         {"Talk", "...", ".hidden", "a\\b", "Запись 1", " spaced ", "mic 🎙 t\tab"})
        EXPECT_TRUE(TitleRules::isSafeTitle(QString::fromUtf8(good))) << good;
    // User text around the number is taken as it is.
    EXPECT_EQ(TitleRules::firstFree("Talk %1 ", ".m4a",
                                    [](const QString& s) { return s == "Talk %1 1.m4a"; }),
              "Talk %1 2.m4a");
    EXPECT_EQ(TitleRules::cleaned("a" + QString(QChar(1)) + "b\tc" + QChar(0xFFFF)), "a_b\tc_");
}

namespace {

QStringList titles(const QList<RecItem*>& items)
{
    QStringList out;
    for (const RecItem* item : items)
        out << item->title();
    return out;
}

RecItem* addItem(RecGroup* group, const QString& title, const QString& descr = {})
{
    auto* item = new RecItem;
    item->setTitle(title);
    item->setDescr(descr);
    PlainFactory::add(item, group);
    return item;
}

} // namespace

TEST(Records, SearchIgnoresCaseAsQtDoesAndNeverMatchesAcrossTwoTexts)
{
    RecGroup root(RecGroup::Bare);
    const QString texts[] = {QStringLiteral("ÄRGER im Büro"),  QStringLiteral("Ὀδυσσεύς ΣΟΦΌΣ"),
                             QStringLiteral("ǅemal"),          QStringLiteral("𐐀 deseret 😀"),
                             QStringLiteral("İstanbul"),       QStringLiteral("Straße"),
                             QStringLiteral("300 \u212Aelvin")};
    // Each text also as a note, which is kept in UTF-8.
    int notes = 0;
    for (const QString& text : texts) {
        addItem(&root, text);
        addItem(&root, QString("#%1").arg(notes++))->addMarkAtTime(1, text, 0);
    }
    SearchIndex index;
    const QString queries[] = {"ärger", "BÜRO",    "σοφός",   "ǆ",   "𐐨",     "😀",
                               "i̇s",    "STRASSE", "strasse", "e d", "kelvin"};
    for (const QString& query : queries) {
        QStringList expected;
        notes = 0;
        for (const QString& text : texts)
            if (++notes; text.contains(query, Qt::CaseInsensitive))
                expected << text << QString("#%1").arg(notes - 1);
        EXPECT_EQ(titles(index.find(&root, query)), expected) << query.toStdString();
    }
    RecItem* two = addItem(&root, "kq", "jw");
    two->addMarkAtTime(1, "vz", 0);
    EXPECT_TRUE(index.find(&root, "qj").isEmpty());
    EXPECT_TRUE(index.find(&root, "wv").isEmpty());
    EXPECT_EQ(index.find(&root, "VZ"), QList<RecItem*>{two});
}

TEST(Records, SearchFollowsEveryChangeOfTheRowsAndTheirTexts)
{
    RecGroup root(RecGroup::Bare);
    auto* talks = new RecGroup;
    talks->setTitle("Talks");
    PlainFactory::add(talks, &root);
    RecItem* a = addItem(talks, "Budget");
    RecItem* b = addItem(&root, "Lunch");
    SearchIndex index;
    ASSERT_TRUE(index.find(&root, "zebra").isEmpty());

    const std::pair<std::function<void()>, QStringList> changes[] = {
        {[&] { a->setEditedTitle("Zebra budget"); }, {"Zebra budget"}},
        {[&] { b->setDescr("zebras at lunch"); }, {"Zebra budget", "Lunch"}},
        {[&] { a->setTitle("Budget"); }, {"Lunch"}},
        {[&] { a->addMarkAtTime(2, "a zebra", 0); }, {"Budget", "Lunch"}},
        {[&] { a->setMarkDescr(a->markByID(0), "gone"); }, {"Lunch"}},
        {[&] { addItem(talks, "Zebra crossing"); }, {"Zebra crossing", "Lunch"}},
        {[&] { auto row = root.removeSubItem(b); }, {"Zebra crossing"}},
        {[&] { PlainFactory::attach(talks->removeSubItem(talks->subItems().last()), &root); },
         {"Zebra crossing"}},
        {[&] { a->setDescr("zebra"); }, {"Budget", "Zebra crossing"}},
    };
    for (const auto& [change, expected] : changes) {
        change();
        EXPECT_EQ(titles(index.find(&root, "ZEBRA")), expected)
            << expected.join(", ").toStdString();
    }
}
