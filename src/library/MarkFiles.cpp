// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/MarkFiles.h"

#include "library/RecItem.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

std::vector<const TimeMark*> marksInTimeOrder(const RecItem& rec)
{
    std::vector<const TimeMark*> marks;
    for (const auto& mark : rec.marks())
        marks.push_back(&mark);
    std::stable_sort(marks.begin(), marks.end(), [](const TimeMark* a, const TimeMark* b) {
        return a->offset() < b->offset();
    });
    return marks;
}

QString seconds(double value)
{
    return QString::number(value, 'f', 6);
}

QString escapeNote(const QString& note)
{
    QString out;
    out.reserve(note.size());
    for (const QChar c : note) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString unescapeNote(const QString& note)
{
    QString out;
    out.reserve(note.size());
    for (qsizetype i = 0; i < note.size(); ++i) {
        const QChar c = note[i];
        const QChar next = i + 1 < note.size() ? note[i + 1] : QChar();
        if (c == u'\\' && (next == u'\\' || next == u'n' || next == u'r')) {
            out += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : QChar(u'\\');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool parseSeconds(const QString& text, double& value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

QString cueQuoted(QString text)
{
    text.replace(u'"', u'\'');
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return u'"' + text + u'"';
}

// mm:ss:ff, with 75 frames a second; the minutes may pass 99.
QString cueTime(double offset)
{
    const qint64 frames = std::llround(std::max(0.0, offset) * 75.0);
    return QStringLiteral("%1:%2:%3")
        .arg(frames / (75 * 60), 2, 10, QChar(u'0'))
        .arg(frames / 75 % 60, 2, 10, QChar(u'0'))
        .arg(frames % 75, 2, 10, QChar(u'0'));
}

} // namespace

QString MarkFiles::labelText(const RecItem& rec)
{
    QString text;
    for (const TimeMark* mark : marksInTimeOrder(rec)) {
        const QString at = seconds(mark->offset());
        text += at + u'\t' + at + u'\t' + escapeNote(mark->descr()) + u'\n';
    }
    return text;
}

QString MarkFiles::cueText(const RecItem& rec, const QString& audioFileName)
{
    QString text = QStringLiteral("TITLE %1\nFILE %2 WAVE\n")
                       .arg(cueQuoted(rec.title()), cueQuoted(audioFileName));
    int track = 0;
    for (const TimeMark* mark : marksInTimeOrder(rec)) {
        ++track;
        text += QStringLiteral("  TRACK %1 AUDIO\n").arg(track, 2, 10, QChar(u'0'));
        text += QStringLiteral("    TITLE %1\n").arg(cueQuoted(mark->descr()));
        text += QStringLiteral("    INDEX 01 %1\n").arg(cueTime(mark->offset()));
    }
    return text;
}

bool MarkFiles::parseLabels(const QString& text, std::vector<Label>& labels, int& badLine)
{
    labels.clear();
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        // A line of its own starting with a backslash holds the frequency
        // range of the label above; marks have none.
        if (line.trimmed().isEmpty() || line.startsWith(u'\\'))
            continue;
        const qsizetype firstTab = line.indexOf(u'\t');
        const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf(u'\t', firstTab + 1);
        Label label;
        const QString end = secondTab < 0 ? line.mid(firstTab + 1)
                                          : line.mid(firstTab + 1, secondTab - firstTab - 1);
        if (firstTab < 0 || !parseSeconds(line.left(firstTab), label.start) ||
            !parseSeconds(end, label.end)) {
            badLine = int(i + 1);
            labels.clear();
            return false;
        }
        if (secondTab >= 0)
            label.note = unescapeNote(line.mid(secondTab + 1));
        labels.push_back(label);
    }
    badLine = 0;
    return true;
}

int MarkFiles::addLabels(RecItem& rec, const std::vector<Label>& labels)
{
    const double length = std::max(0.0, rec.duration());
    int added = 0;
    for (const Label& label : labels) {
        const float offset = float(std::clamp(label.start, 0.0, length));
        if (rec.addMarkAtTime(offset, label.note, rec.createMarkID()))
            ++added;
    }
    return added;
}
