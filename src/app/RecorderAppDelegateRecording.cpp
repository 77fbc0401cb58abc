// SPDX-License-Identifier: GPL-3.0-or-later
// Recording: new recordings, continuing a recording and joining the parts.
#include "app/AppLog.h"
#include "app/RecorderAppDelegate.h"
#include "audio/RecorderEngine.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TimeMark.h"
#include "library/TitleRules.h"
#include "media/AudioFile.h"
#include "media/WaveformCache.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "playback/TimeView.h"
#include "shell/CustomView.h"
#include "widgets/Messages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

RecGroup* RecorderAppDelegate::newRecordingGroup() const
{
    RecGroup* group = m_outlineController->currentGroup();
    if (group && group == m_outlineController->searchGroup())
        return m_outlineController->mainGroup();
    return group;
}

QString RecorderAppDelegate::newRecordPath(const RecGroup* group)
{
    if (refuseGoneFolder())
        return QString();
    // The same rule as deleting and renaming: a category folder that is a
    // link out of the output folder takes no recordings.
    const QString folder = libraryPath(group);
    const QString path =
        folder.isNull()
            ? QString()
            : folder + "/" +
                  TitleRules::firstFree(tr("Untitled") + " ", ".m4a", [&](const QString& name) {
                      return isPathTaken(folder + "/" + name);
                  });
    if (path.isNull() || !QDir().mkpath(folder) || !liesInLibrary(path)) {
        showMessage(tr("Unable to create a folder, try to change the path to the recordings in "
                       "the preferences"));
        return QString();
    }
    return path;
}

QString RecorderAppDelegate::resumeRecordPath(const QString& path) const
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString folder = info.path();
    return folder + "/" +
           TitleRules::firstFree(info.completeBaseName() + " ", ".m4a", [&](const QString& name) {
               return isPathTaken(folder + "/" + name);
           });
}

QString RecorderAppDelegate::CreateTempFilePath(const QString& besideFile)
{
    const QString folder = QFileInfo(besideFile).path();
    // Milliseconds since 1 January 2001, as the name of a hidden file.
    const qint64 epoch2001 = 978307200000LL;
    for (qint64 ms = QDateTime::currentMSecsSinceEpoch() - epoch2001;; ++ms) {
        const QString path = folder + QString("/.%1.tmp").arg(ms);
        if (!QFileInfo::exists(path))
            return path;
    }
}

bool RecorderAppDelegate::combineFile(const QString& recording, const QString& part)
{
    if (!QFileInfo(recording).isFile() || !QFileInfo(part).isFile())
        return false;
    std::unique_ptr<AudioFile> movie = AudioFile::movieWithFile(recording);
    std::unique_ptr<AudioFile> partMovie = AudioFile::movieWithFile(part);
    if (!movie || !partMovie || movie->loadState() != AudioFile::kLoadStateComplete ||
        partMovie->loadState() != AudioFile::kLoadStateComplete)
        return false;
    movie->setEditable(true);
    partMovie->setSelection(
        QTMakeTimeRange(QTMakeTime(0, partMovie->timeScale()), partMovie->duration()));
    if (!movie->appendSelectionFromMovie(*partMovie))
        return false;
    // Written beside the recording and renamed over it: a rename within one
    // folder replaces the file at once, so the path always holds a whole file.
    const QString temp = CreateTempFilePath(recording);
    AudioFile::WriteAttributes attributes;
    attributes.flatten = true;
    if (!movie->writeToFile(temp, attributes)) {
        QFile::remove(temp);
        return false;
    }
    movie.reset();
    if (std::rename(QFile::encodeName(temp).constData(),
                    QFile::encodeName(recording).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

bool RecorderAppDelegate::beginRecording(const QString& path, bool takePreRoll)
{
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    stopPseudoRecord();
    m_recorder->setOutputFilePath(path);
    m_recorder->setTakePreRoll(takePreRoll);
    m_recorder->start();
    if (!m_recorder->isRecording()) {
        updateButtonsState();
        return false;
    }
    if (m_statusView)
        m_statusView->recordingStarted();
    return true;
}

void RecorderAppDelegate::endRecording()
{
    m_recorder->stop();
    // Its length is marked exactly; a file that cannot be written anew keeps
    // the encoder's padding after the sound.
    if (m_recorder->writtenLength() > 0 &&
        !AudioFile::endRecordingAt(m_recorder->outputFilePath(), m_recorder->writtenLength()))
        qCWarning(lcApp, "The length of \"%s\" could not be marked",
                  qPrintable(m_recorder->outputFilePath()));
    m_recNavigController->setRecordingMode(false);
    m_timeView->stopRecording();
    if (std::exchange(m_recordResuming, false)) {
        joinPart();
    } else {
        // The waveform of what was written, kept so that the file is never decoded for it.
        if (!m_recorder->writtenPeaks().empty())
            WaveformCache::store(m_recorder->outputFilePath(), m_recorder->writtenPeaks());
        updateCurrentItemInfo();
    }
    if (const double missing = m_recorder->droppedSeconds(); missing > 0)
        showMessage(tr("The disk could not keep up: %1 seconds of the recording are missing.")
                        .arg(QString::number(missing, 'f', 1)));
    if (const double lost = m_recorder->lostSeconds(); lost > 0)
        showMessage(tr("%1 seconds of the recording could not be captured: the sound server "
                       "delivered nothing for them.")
                        .arg(QString::number(std::max(0.1, lost), 'f', 1)));
    updateButtonsState();
}

void RecorderAppDelegate::joinPart()
{
    const QString part = m_recorder->outputFilePath();
    bool joined = false;
    // The waveform before the join, if it was kept, continues with the part's.
    std::optional<PeakEnvelope> peaks = WaveformCache::envelope(m_resumingRecPath);
    if (!m_resumingRecPath.isNull()) {
        joined = combineFile(m_resumingRecPath, part);
        if (joined)
            markSeam(m_resumingRecPath);
        if (joined && peaks)
            WaveformCache::storeJoined(m_resumingRecPath, std::move(*peaks),
                                       m_recorder->writtenPeaks(), 0, m_recorder->writtenRate());
        m_resumingRecPath = QString();
    }
    if (joined) {
        QFile::remove(part);
    } else if (m_resumingRecGroup) {
        // The part is kept as a recording of its own: no audio is lost.
        auto row = m_outlineController->createNewItem();
        row->setTitle(QFileInfo(part).completeBaseName());
        m_resumingRecGroup->setExpanded(true);
        m_outlineController->selectItem(
            m_outlineController->addItem(std::move(row), m_resumingRecGroup));
    }
    QTimer::singleShot(100, this, &RecorderAppDelegate::updateCurrentItemInfo);
    if (!joined)
        showMessage(tr("Unable to combine recordings"));
}

void RecorderAppDelegate::markSeam(const QString& path)
{
    // The join may hold the first part's end a moment: the mark goes where
    // the continuation's sound begins, its length before the end.
    auto* row = findItemByPath(path, m_outlineController->mainGroup());
    const double seam = AudioFile::fileDuration(path) - double(m_recorder->writtenLength()) /
                                                            std::max(1, m_recorder->writtenRate());
    TimeMark* mark = nullptr;
    if (row && row->asItem())
        for (const auto& m : row->asItem()->marks())
            if (m->descr() == RecNavigController::continueNoteText() &&
                (!mark || m->markID() > mark->markID()))
                mark = m.get();
    if (mark && seam > 0)
        mark->setOffset(float(seam));
}

void RecorderAppDelegate::startStopRecording(QObject*)
{
    if (m_recorder->isRecording()) {
        if (m_recordResuming)
            updateButtonsState();
        else
            endRecording();
        return;
    }
    RecGroup* group = newRecordingGroup();
    const QString path = group ? newRecordPath(group) : QString();
    if (path.isNull() || !beginRecording(path, true))
        return;
    auto row = m_outlineController->createNewItem();
    row->setTitle(QFileInfo(path).completeBaseName());
    group->setExpanded(true);
    m_outlineController->selectItem(m_outlineController->addItem(std::move(row), group));
    m_recNavigController->setRecordingMode(true);
    // The file begins with the seconds heard before the start.
    m_timeView->setTime(float(m_recorder->preRollTaken()));
    m_timeView->startRecording();
    updateButtonsState();
}

void RecorderAppDelegate::resumeStopRecording(QObject*)
{
    if (m_recorder->isRecording()) {
        if (m_recordResuming)
            endRecording();
        else
            updateButtonsState();
        return;
    }
    GeneralRecItem* row = m_outlineController->chiefSelectedItem();
    if (!row || !row->asItem() || row->asItem()->isFileMissing())
        return;
    const QString path = restorePath(row);
    if (path.isNull())
        return;
    m_outlineController->selectItem(row);
    RecGroup* group = m_outlineController->currentGroup();
    const QString part = resumeRecordPath(path);
    if (!group || part.isNull() || !beginRecording(part, false))
        return;
    m_resumingRecPath = path;
    m_resumingRecGroup = group;
    m_recordResuming = true;
    m_recNavigController->setRecordingMode(true);
    m_recNavigController->addContinueNote();
    m_timeView->startRecording();
    updateButtonsState();
}

void RecorderAppDelegate::stopRecording()
{
    if (m_recorder->isRecording())
        endRecording();
}

void RecorderAppDelegate::recordingInterrupted(RecorderEngine::Interruption why)
{
    // The length of this recording's own file, before a continuation joins it.
    const QString file = m_recorder->outputFilePath();
    const bool recording = m_recorder->isRecording();
    m_recorder->stop();
    const QString saved = QString::number(std::max(0.0, AudioFile::fileDuration(file)), 'f', 1);
    if (recording)
        endRecording();
    switch (why) {
    case RecorderEngine::Interruption::DeviceLost:
        showMessage(tr("The input device was disconnected. The recording was stopped and saved."));
        break;
    case RecorderEngine::Interruption::DiskFull:
    case RecorderEngine::Interruption::WriteFailed:
        showMessage(why == RecorderEngine::Interruption::DiskFull
                        ? tr("The disk is full. The recording was stopped; %1 seconds of it "
                             "were saved.")
                              .arg(saved)
                        : tr("Writing the recording failed. The recording was stopped; %1 "
                             "seconds of it were saved.")
                              .arg(saved));
        break;
    }
}
