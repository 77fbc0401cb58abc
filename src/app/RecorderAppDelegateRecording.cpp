// SPDX-License-Identifier: GPL-3.0-or-later
// Recording: new recordings, continuing a recording and joining the parts.
#include "app/QnMessageBox.h"
#include "app/RecorderAppDelegate.h"
#include "audio/KvSoundFileRecorder.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TitleRules.h"
#include "media/QTMovie.h"
#include "outline/RecOutlineController.h"
#include "playback/RecNavigController.h"
#include "playback/TimeView.h"
#include "shell/CustomView.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

RecGroup* RecorderAppDelegate::newRecordingGroup() const
{
    RecGroup* group = m_outlineController->currentGroup();
    if (group && group == m_outlineController->searchGroup())
        return m_outlineController->mainGroup();
    return group;
}

QString RecorderAppDelegate::newRecordPath()
{
    QString folder = outputFolder();
    if (folder.isEmpty() || refuseGoneFolder())
        return QString();
    folder += m_outlineController->groupPath(newRecordingGroup());
    if (!QDir().mkpath(folder)) {
        QnMessageBox(tr("Unable to create a folder, try to change the path to the recordings in "
                        "the preferences"));
        return QString();
    }
    return folder + "/" +
           TitleRules::firstFree(
               tr("Untitled") + QStringLiteral(" %1.m4a"),
               [&folder](const QString& name) { return QFileInfo::exists(folder + "/" + name); });
}

QString RecorderAppDelegate::resumeRecordPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString folder = info.path();
    const QString title = info.completeBaseName();
    return folder + "/" + TitleRules::firstFree(title + " %1.m4a", [&folder](const QString& name) {
               return QFileInfo::exists(folder + "/" + name);
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
    std::unique_ptr<QTMovie> movie = QTMovie::movieWithFile(recording);
    std::unique_ptr<QTMovie> partMovie = QTMovie::movieWithFile(part);
    if (!movie || !partMovie || movie->loadState() != QTMovie::kLoadStateComplete ||
        partMovie->loadState() != QTMovie::kLoadStateComplete)
        return false;
    movie->setEditable(true);
    partMovie->setSelection(
        QTMakeTimeRange(QTMakeTime(0, partMovie->timeScale()), partMovie->duration()));
    if (!movie->appendSelectionFromMovie(*partMovie))
        return false;
    // Written beside the recording and renamed over it: a rename within one
    // folder replaces the file at once, so the path always holds a whole file.
    const QString temp = CreateTempFilePath(recording);
    QTMovie::WriteAttributes attributes;
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

void RecorderAppDelegate::startStopRecording(QObject*)
{
    if (m_recorder->isRecording()) {
        if (m_recordResuming) {
            updateButtonsState();
            return;
        }
        m_recorder->stop();
        m_recNavigController->setRecordingMode(false);
        m_timeView->stopRecording();
        updateCurrentItemInfo();
        updateButtonsState();
        return;
    }

    m_recordResuming = false;
    const QString path = newRecordPath();
    if (path.isNull())
        return;
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    stopPseudoRecord();
    m_recorder->setOutputFilePath(path);
    m_recorder->start();
    if (!m_recorder->isRecording()) {
        updateButtonsState();
        return;
    }
    if (m_statusView)
        m_statusView->recordingStarted();

    RecGroup* group = newRecordingGroup();
    if (!group)
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
        if (!m_recordResuming) {
            updateButtonsState();
            return;
        }
        m_recorder->stop();
        m_recordResuming = false;
        m_recNavigController->setRecordingMode(false);
        m_timeView->stopRecording();

        const QString part = m_recorder->outputFilePath();
        bool joined = false;
        if (!m_resumingRecPath.isNull()) {
            joined = combineFile(m_resumingRecPath, part);
            m_resumingRecPath = QString();
        }
        if (joined) {
            QFile::remove(part);
        } else {
            // The part is kept as a recording of its own: no audio is lost.
            if (m_resumingRecGroup) {
                auto row = m_outlineController->createNewItem();
                row->setTitle(QFileInfo(part).completeBaseName());
                m_resumingRecGroup->setExpanded(true);
                m_outlineController->selectItem(
                    m_outlineController->addItem(std::move(row), m_resumingRecGroup));
            }
        }
        QTimer::singleShot(100, this, &RecorderAppDelegate::updateCurrentItemInfo);
        if (!joined)
            QnMessageBox(tr("Unable to combine recordings"));
        updateButtonsState();
        return;
    }

    m_recordResuming = false;
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    GeneralRecItem* row = m_outlineController->chiefSelectedItem();
    if (!row || !row->asItem() || row->asItem()->isFileMissing())
        return;
    const QString path = restorePath(row);
    if (path.isNull())
        return;
    m_outlineController->selectItem(row);
    m_resumingRecPath = path;
    m_resumingRecGroup = m_outlineController->currentGroup();
    if (!m_resumingRecGroup)
        return;
    const QString part = resumeRecordPath(path);
    if (part.isNull())
        return;
    stopPseudoRecord();
    m_recorder->setOutputFilePath(part);
    m_recorder->setTakePreRoll(false);
    m_recorder->start();
    if (m_recorder->isRecording()) {
        m_recNavigController->setRecordingMode(true);
        m_recNavigController->addContinueNote();
        m_timeView->startRecording();
        if (m_statusView)
            m_statusView->recordingStarted();
        m_recordResuming = true;
    }
    updateButtonsState();
}

void RecorderAppDelegate::stopRecording()
{
    if (!m_recorder->isRecording())
        return;
    if (m_recordResuming)
        resumeStopRecording();
    else
        startStopRecording();
}
