// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/ImportQueue.h"

#include "library/AudioFileJobs.h"
#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/TitleRules.h"
#include "library/WalkRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace {

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool startsIn(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    return path == folder || path.startsWith(folder + "/");
}

// "Song.mp3" becomes "Song.m4a"; a name that is all extension keeps its name.
QString m4aName(const QFileInfo& info)
{
    const QString base = info.completeBaseName();
    return (base.isEmpty() ? info.fileName() : base) + ".m4a";
}

// The path with its last component cleaned, so that the library file can
// store the title and the row comes back at the next start.
QString storableName(const QString& path)
{
    const QFileInfo info(path);
    return info.path() + "/" + TitleRules::cleaned(info.fileName());
}

} // namespace

ImportQueue::ImportQueue(Library& library, AudioFileJobs* jobs) : m_library(library), m_jobs(jobs)
{
    if (!m_jobs)
        return;
    connect(m_jobs, &AudioFileJobs::conversionLoaded, this, [this](int id) { loaded(id); });
    connect(m_jobs, &AudioFileJobs::conversionProgress, this,
            [this](int, double fraction) { progress(fraction); });
    connect(m_jobs, &AudioFileJobs::conversionFinished, this, &ImportQueue::finished);
}

ImportQueue::~ImportQueue()
{
    // Cancelled, not finished: the journal keeps them for the next start.
    for (const Conversion& c : std::as_const(m_conversions))
        if (m_jobs)
            m_jobs->cancel(c.id);
}

bool ImportQueue::isSameOrInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    if (startsIn(cleanAbsolute(path), cleanAbsolute(folder)))
        return true;
    // The same folders reached through links.
    return startsIn(QFileInfo(path).canonicalFilePath(), QFileInfo(folder).canonicalFilePath());
}

QList<GeneralRecItem*> ImportQueue::import(const QStringList& paths, RecGroup* target)
{
    // Conversions still waiting go on (their rows are already in the tree);
    // the bar then runs across them and the new ones together.
    beginRun();
    const QString folder = m_library.pathOf(target);
    if (folder.isNull() || !QDir().mkpath(folder))
        return {};
    QList<GeneralRecItem*> made;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        if (info.isDir())
            importFolder(path, folder + "/" + info.fileName(), target, made);
        else
            importFile(path, folder + "/" + m4aName(info), target, made);
    }
    return made;
}

bool ImportQueue::importFolder(const QString& source, const QString& destination,
                               RecGroup* category, QList<GeneralRecItem*>& made)
{
    const QFileInfo info(source);
    // A link to a folder is never followed (it may lead back up the tree),
    // and the output folder is never copied into itself.
    if (!info.isDir() || info.isSymLink() || isSameOrInside(source, m_library.folder()))
        return false;
    const auto taken = [this](const QString& p) { return m_library.isPathTaken(p); };
    QString target = storableName(destination);
    if (taken(target))
        target = TitleRules::firstFree(storableName(destination) + " ", QString(), taken);
    const QString title = QFileInfo(target).fileName();
    if (!TitleRules::isSafeTitle(title) || !QDir().mkpath(target))
        return false;
    auto row = m_library.newCategory();
    row->setTitle(title);
    row->setExpanded(true);
    auto* added = static_cast<RecGroup*>(m_library.add(std::move(row), category));
    made << added;
    const QStringList names = QDir(source).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QFileInfo entry(source + "/" + name);
        if (!entry.exists())
            continue;
        if (entry.isDir())
            importFolder(entry.filePath(), target + "/" + name, added, made);
        else
            importFile(entry.filePath(), target + "/" + m4aName(entry), added, made);
    }
    return true;
}

bool ImportQueue::importFile(const QString& source, const QString& destination, RecGroup* category,
                             QList<GeneralRecItem*>& made)
{
    const QFileInfo info(source);
    if (!m_jobs || !info.exists() || info.isDir() || !m_jobs->canRead(source))
        return false;
    const auto taken = [this](const QString& p) { return m_library.isPathTaken(p); };
    QString target = storableName(destination);
    if (taken(target)) {
        const QFileInfo dest(target);
        target = TitleRules::firstFree(dest.absolutePath() + "/" + dest.completeBaseName() + " ",
                                       ".m4a", taken);
    }
    const QString title = QFileInfo(target).completeBaseName();
    if (!TitleRules::isSafeTitle(title) || !QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    const bool copy = info.suffix().compare("m4a", Qt::CaseInsensitive) == 0;
    if (copy && !QFile::copy(source, target))
        return false;
    auto row = m_library.newRecording();
    row->setTitle(title);
    row->setDuration(copy ? m_jobs->duration(target) : 0);
    auto* added = static_cast<RecItem*>(m_library.add(std::move(row), category));
    if (!copy && !convert(source, added)) {
        m_library.erase(added);
        emit m_library.treeChanged();
        m_library.save();
        return false;
    }
    made << added;
    return true;
}

bool ImportQueue::convert(const QString& source, RecItem* row)
{
    const QString out = m_library.folder();
    if (!m_jobs || source.isNull() || !row || out.isEmpty() || !QFileInfo(source).isFile() ||
        !m_jobs->canRead(source))
        return false;
    // Written under a hidden name in the output folder, which no rename or
    // move of a category takes away, and given to the row when complete.
    const QString file = TitleRules::firstFree(
        out + "/.import ", ".m4a", [this](const QString& p) { return m_library.isPathTaken(p); });
    const int id = m_jobs->convert(source, file);
    m_conversions.append(Conversion{id, row, source, file});
    m_journal.add({out, row->ID(), source, file});
    ++m_total;
    // Nothing is written for a row that is gone: neither its file nor a leftover.
    connect(row, &QObject::destroyed, this, [this, id] {
        Conversion* c = find(id);
        if (!c)
            return;
        m_journal.remove(c->file);
        m_conversions.removeIf([id](const Conversion& d) { return d.id == id; });
        m_jobs->cancel(id);
        if (m_conversions.isEmpty() && std::exchange(m_sheetShown, false))
            emit m_library.jobEnded();
    });
    return true;
}

void ImportQueue::beginRun()
{
    if (m_conversions.isEmpty())
        m_total = 0;
}

bool ImportQueue::resume()
{
    const QString out = m_library.folder();
    const QList<ImportJournal::Entry> cut = m_journal.take(out);
    QStringList lost;
    beginRun();
    bool gone = false;
    for (const ImportJournal::Entry& entry : cut) {
        // What was written, under the file's name and the name of the
        // temporary file it is written as, is begun again from the start.
        const QFileInfo partial(entry.file);
        if (partial.path() == out && partial.fileName().startsWith(".import ")) {
            QDir folder(out);
            for (const QString& name :
                 folder.entryList({partial.fileName() + "*"}, QDir::Files | QDir::Hidden))
                if (name == partial.fileName() || name.startsWith(partial.fileName() + "."))
                    folder.remove(name);
        }
        RecItem* row = nullptr;
        walkRows(m_library.root(), [&](GeneralRecItem* r) {
            if (RecItem* item = r->asItem(); item && item->ID() == entry.row)
                row = item;
            return row ? Walk::Stop : Walk::Into;
        });
        // Its file written after all: nothing to begin again.
        if (row && QFileInfo(m_library.restorePath(row)).isFile())
            row = nullptr;
        if (!row || convert(entry.source, row))
            continue;
        lost << entry.source;
        m_library.erase(row);
        gone = true;
    }
    if (!lost.isEmpty())
        // Once the window is up.
        QTimer::singleShot(0, &m_library, [library = &m_library, lost] {
            emit library->message(Library::tr("These files were not imported: VoiceTray was "
                                              "stopped while it converted them, and they are no "
                                              "longer there.") +
                                  "\n\n" + lost.join('\n'));
        });
    return gone;
}

void ImportQueue::finish()
{
    // Also a conversion cancelled meanwhile (its row gone) no longer waits.
    while (!m_conversions.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

ImportQueue::Conversion* ImportQueue::find(int id)
{
    const auto found = std::find_if(m_conversions.begin(), m_conversions.end(),
                                    [id](const Conversion& c) { return c.id == id; });
    return found == m_conversions.end() ? nullptr : &*found;
}

bool ImportQueue::isWaiting(const RecItem* row) const
{
    return row && std::any_of(m_conversions.begin(), m_conversions.end(),
                              [row](const Conversion& c) { return c.row == row; });
}

bool ImportQueue::isWaitingPath(const QString& path) const
{
    return std::any_of(m_conversions.begin(), m_conversions.end(), [&](const Conversion& c) {
        return c.row && m_library.restorePath(c.row) == path;
    });
}

bool ImportQueue::isWrittenFile(const QString& path) const
{
    return std::any_of(m_conversions.begin(), m_conversions.end(),
                       [&path](const Conversion& c) { return c.file == path; });
}

QStringList ImportQueue::pendingPaths() const
{
    QStringList paths;
    for (const Conversion& c : m_conversions)
        if (c.row)
            paths << m_library.restorePath(c.row);
    return paths;
}

QList<std::pair<int, QString>> ImportQueue::conversionsUnder(const GeneralRecItem* row) const
{
    QList<std::pair<int, QString>> under;
    for (const Conversion& c : m_conversions)
        for (const GeneralRecItem* p = c.row; p; p = p->parent())
            if (p == row)
                under.append({c.row->ID(), c.source});
    return under;
}

void ImportQueue::loaded(int id)
{
    if (!find(id)) {
        if (m_conversions.isEmpty() && std::exchange(m_sheetShown, false))
            emit m_library.jobEnded();
        return;
    }
    if (!m_sheetShown) {
        m_sheetShown = true;
        emit m_library.jobStarted(Library::tr("Importing..."));
    }
}

void ImportQueue::progress(double fraction)
{
    const auto remaining = m_conversions.size();
    if (m_total > 0)
        emit m_library.jobProgress((m_total - remaining) * 100.0 / m_total +
                                   fraction * 100.0 / m_total);
}

void ImportQueue::finished(int id, bool ok)
{
    Conversion* found = find(id);
    if (!found)
        return;
    progress(m_jobs->convertedPart());
    const Conversion done = *found;
    m_conversions.removeIf([id](const Conversion& c) { return c.id == id; });
    m_journal.remove(done.file);
    if (!ok || !done.row || !place(done.file, done.row)) {
        QFile::remove(done.file);
        // A row whose file could not be written would stand for nothing.
        if (done.row) {
            m_library.erase(done.row);
            emit m_library.treeChanged();
            m_library.save();
        }
    }
    if (m_conversions.isEmpty() && std::exchange(m_sheetShown, false))
        emit m_library.jobEnded();
}

bool ImportQueue::place(const QString& file, RecItem* row)
{
    QString path = m_library.pathOf(row);
    if (path.isNull() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    if (m_library.isPathTaken(path)) {
        const QFileInfo taken(path);
        path = TitleRules::firstFree(taken.absolutePath() + "/" + taken.completeBaseName() + " ",
                                     ".m4a",
                                     [this](const QString& p) { return m_library.isPathTaken(p); });
        row->setTitle(QFileInfo(path).completeBaseName());
    }
    // Never over another file: a name taken meanwhile fails the rename.
    if (!QFile::rename(file, path))
        return false;
    row->setDuration(m_jobs->duration(path));
    m_library.save();
    return true;
}
