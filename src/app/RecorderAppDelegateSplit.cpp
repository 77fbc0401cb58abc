// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a recording into new recordings at its time marks.
#include "app/RecorderAppDelegate.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "media/FileBatch.h"
#include "media/MediaProber.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <cmath>
#include <map>
#include <vector>

namespace {

// Below this a remainder is rounding, not audio worth a piece of its own.
constexpr double kMinPieceSeconds = 0.001;

} // namespace

void RecorderAppDelegate::split()
{
    RecItem* item = m_recNavigController->currentFile();
    if (!item || item->isGroup() || item->isFileMissing() || isRecording())
        return;
    const QString path = libraryPath(item);
    if (path.isNull())
        return;
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString folder = info.absolutePath();
    if (item->marks().empty())
        return;
    // Marks may lie beyond the end of a recording that was shortened; a cut
    // there ends the last piece at the true end.
    // The file is measured once; every piece is cut from that measure.
    const MediaInfoPtr source = QFileInfo(path).isFile() ? MediaProber::probe(path) : nullptr;
    const double total =
        source && source->sampleRate > 0 ? double(source->durationSamples) / source->sampleRate : 0;
    if (total <= 0) {
        showMessage(tr("Unable to split recording"));
        return;
    }

    // One cut per whole second; of several marks in one second the first in
    // the list wins. The map walks the cuts in time order.
    std::map<float, const TimeMark*> cuts;
    for (const auto& mark : item->marks())
        cuts.emplace(std::trunc(mark->offset()), mark.get());

    m_outlineController->deselectAll();
    m_progressPanel->setProgress(0);
    progressTitle()->setText(tr("Splitting..."));
    m_progressPanel->beginSheet(sheetWindow());
    const double step = 100.0 / static_cast<double>(cuts.size() + 1);
    RecGroup* target = item->parent()->asGroup();

    // The pieces are written first and take their names together, so the
    // disk is waited on once rather than once a piece; until then their
    // names are held here.
    FileBatch batch;
    const auto fragmentPath = [&] {
        return folder + "/" + TitleRules::firstFree(base + " ", ".m4a", [&](const QString& name) {
                   return isPathTaken(folder + "/" + name) || batch.contains(folder + "/" + name);
               });
    };
    struct Piece
    {
        QString path;
        QString note;
    };
    std::vector<Piece> pieces;
    bool failed = false;
    int i = 0;
    float p = 0;
    QString note;
    for (const auto& [key, mark] : cuts) {
        ++i;
        const QString piecePath = fragmentPath();
        const float end = static_cast<float>(std::min<double>(mark->offset(), total));
        const float len = end - p;
        if (len <= 0)
            continue;
        if (!saveFragmentOf(path, p, len, piecePath, &batch, source)) {
            failed = true;
            break;
        }
        m_progressPanel->setProgress(i * step);
        pieces.push_back({piecePath, note});
        note = mark->descr();
        p = end;
    }
    if (!failed && total - p > kMinPieceSeconds) {
        const QString piecePath = fragmentPath();
        failed = !saveFragmentOf(path, p, -1, piecePath, &batch, source);
        if (!failed)
            pieces.push_back({piecePath, note});
    }
    // The pieces made before a failure are kept.
    const auto named = static_cast<size_t>(batch.commit());
    failed = failed || named < pieces.size();
    pieces.resize(std::min(named, pieces.size()));
    for (const Piece& piece : pieces) {
        auto made = m_outlineController->createNewItem();
        made->setTitle(QFileInfo(piece.path).completeBaseName());
        made->setDate(item->date());
        made->setDescr(piece.note.isEmpty() ? item->descr() : piece.note + "\n" + item->descr());
        made->setDuration(fileDuration(piece.path));
        m_outlineController->addToSelection(m_outlineController->addItem(std::move(made), target));
    }
    m_progressPanel->endSheet();
    if (failed)
        showMessage(tr("Unable to split recording"));
}

bool RecorderAppDelegate::saveFragmentOf(const QString& path, float pos, float len,
                                         const QString& destination, FileBatch* batch,
                                         const MediaInfoPtr& source)
{
    if (path.isNull() || !QFileInfo(path).isFile() || pos < 0 || len == 0 || (len < 0 && len != -1))
        return false;
    if (destination.isNull() || isPathTaken(destination))
        return false;
    std::unique_ptr<AudioFile> movie = source && source->path == path
                                           ? AudioFile::movieWithInfo(source)
                                           : AudioFile::movieWithFile(path);
    if (!movie || movie->loadState() != AudioFile::kLoadStateComplete)
        return false;
    const int32_t scale = movie->timeScale();
    const QTTime duration = movie->duration();
    if (duration.timeScale == 0 || scale <= 0)
        return false;
    // The piece ends at the true end of the file, not at its whole seconds,
    // so that a piece never runs past the mark that ends it.
    const int64_t total = QTMakeTimeScaled(duration, scale).timeValue;
    const int64_t start = static_cast<int64_t>(static_cast<double>(pos) * scale);
    if (start >= total)
        return false;
    const int64_t length =
        len < 0 ? total - start
                : std::min(total - start, static_cast<int64_t>(static_cast<double>(len) * scale));
    if (start > 0) {
        movie->setEditable(true);
        if (!movie->deleteSegment(QTMakeTimeRange(QTMakeTime(0, scale), QTMakeTime(start, scale))))
            return false;
    }
    if (start + length < total) {
        movie->setEditable(true);
        if (!movie->deleteSegment(
                QTMakeTimeRange(QTMakeTime(length, scale), QTMakeTime(total, scale))))
            return false;
    }
    AudioFile::WriteAttributes attributes;
    attributes.flatten = true;
    attributes.batch = batch;
    return movie->writeToFile(destination, attributes);
}
