// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/RecordingSession.h"

#include "library/GeneralRecItem.h"
#include "library/Library.h"
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/TimeMark.h"
#include "media/AudioFile.h"
#include "media/WaveformCache.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

Q_LOGGING_CATEGORY(lcSession, "voicetray.session")

namespace {

// A free hidden name beside the file, for writing its replacement.
QString tempPathBeside(const QString& file)
{
    const QString folder = QFileInfo(file).path();
    for (qint64 ms = QDateTime::currentMSecsSinceEpoch();; ++ms) {
        const QString path = folder + QString("/.%1.tmp").arg(ms);
        if (!QFileInfo::exists(path))
            return path;
    }
}

// Appends the part's sound to the recording. Written beside the recording and
// renamed over it: a rename within one folder replaces the file at once, so
// the path always holds a whole file.
bool appendPart(const QString& recording, const QString& part)
{
    if (!QFileInfo(recording).isFile() || !QFileInfo(part).isFile())
        return false;
    std::unique_ptr<AudioFile> file = AudioFile::movieWithFile(recording);
    std::unique_ptr<AudioFile> partFile = AudioFile::movieWithFile(part);
    if (!file || !partFile)
        return false;
    file->setEditable(true);
    partFile->setSelection(
        makeMediaTimeRange(makeMediaTime(0, partFile->timeScale()), partFile->duration()));
    if (!file->appendSelectionFromMovie(*partFile))
        return false;
    const QString temp = tempPathBeside(recording);
    AudioFile::WriteAttributes attributes;
    attributes.flatten = true;
    if (!file->writeToFile(temp, attributes)) {
        QFile::remove(temp);
        return false;
    }
    file.reset();
    if (std::rename(QFile::encodeName(temp).constData(),
                    QFile::encodeName(recording).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace

RecordingSession::RecordingSession(Library& library, QObject* parent)
    : QObject(parent), m_library(library)
{
    connect(&m_engine, &RecorderEngine::userMessage, this, &RecordingSession::message);
    connect(&m_engine, &RecorderEngine::soundFileRecorderWasInterrupted, this,
            [this](RecorderEngine*, RecorderEngine::Interruption why) { interrupted(why); });
    m_library.setRecordingPaths([this] { return recordingPaths(); });
    m_limitTimer.setSingleShot(true);
    m_limitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_limitTimer, &QTimer::timeout, this, &RecordingSession::limitReached);
}

RecordingSession::~RecordingSession()
{
    m_library.setRecordingPaths(nullptr);
}

bool RecordingSession::isRecording() const
{
    return m_engine.isRecording();
}

QStringList RecordingSession::recordingPaths() const
{
    if (!isRecording())
        return {};
    QStringList paths{m_engine.outputFilePath()};
    if (m_continuing)
        paths << m_continuedPath;
    return paths;
}

QString RecordingSession::device() const
{
    return isRecording() ? m_engine.sourceDescription() : QString();
}

RecItem* RecordingSession::recordingRow() const
{
    return isRecording() ? m_row.data() : nullptr;
}

double RecordingSession::elapsed() const
{
    return isRecording() ? m_preRoll + double(m_clock.nsecsElapsed()) / 1e9 : 0.0;
}

bool RecordingSession::addMark(const QString& note)
{
    RecItem* row = recordingRow();
    if (!row)
        return false;
    row->addMarkAtTime(float(m_startOffset + elapsed()), note, row->createMarkID());
    m_library.save();
    emit markAdded(row);
    return true;
}

bool RecordingSession::limitTo(std::chrono::milliseconds length)
{
    if (!isRecording())
        return false;
    const auto left = length - std::chrono::milliseconds(qint64(elapsed() * 1000));
    m_length = length;
    m_limit = QDeadlineTimer(std::max(left, std::chrono::milliseconds(0)), Qt::PreciseTimer);
    limitReached();
    return true;
}

std::optional<std::chrono::milliseconds> RecordingSession::timeLeft() const
{
    if (!m_limit || !isRecording())
        return std::nullopt;
    return std::chrono::milliseconds(m_limit->remainingTime());
}

void RecordingSession::limitReached()
{
    if (!m_limit || !isRecording())
        return;
    if (m_limit->hasExpired()) {
        qCInfo(lcSession, "The recording reached its length and stops");
        stop();
        return;
    }
    m_limitTimer.start(std::chrono::milliseconds(m_limit->remainingTime()));
}

QString RecordingSession::continuationMarkText()
{
    return tr("Position in which the recording was continued");
}

void RecordingSession::startLevelMeter()
{
    if (isRecording())
        return;
    m_engine.setPseudoRecord(true);
    m_engine.start();
}

void RecordingSession::stopLevelMeter()
{
    if (isRecording())
        return;
    m_engine.stop();
    m_engine.setPseudoRecord(false);
}

bool RecordingSession::startNew(RecGroup* category)
{
    if (isRecording() || !category)
        return false;
    const QString path = m_library.newRecordingPath(category);
    if (path.isNull() || !begin(path, true))
        return false;
    auto row = m_library.newRecording();
    row->setTitle(QFileInfo(path).completeBaseName());
    category->setExpanded(true);
    m_row = static_cast<RecItem*>(m_library.add(std::move(row), category));
    emit started(m_row, false);
    return true;
}

bool RecordingSession::startContinuation(RecItem* recording)
{
    if (isRecording() || !recording || recording->isFileMissing())
        return false;
    const QString path = m_library.restorePath(recording);
    RecGroup* category = recording->parent() ? recording->parent()->asGroup() : nullptr;
    if (path.isNull() || !category)
        return false;
    const QString part = m_library.continuationPath(path);
    if (part.isNull() || !begin(part, false))
        return false;
    m_continuedPath = path;
    m_continuedGroup = category;
    m_continuing = true;
    m_row = recording;
    m_startOffset = std::max(0.0, AudioFile::fileDuration(path));
    // Where the recording ends now; the stop moves it onto the seam exactly.
    recording->addMarkAtTime(float(m_startOffset), continuationMarkText(),
                             recording->createMarkID());
    m_library.save();
    emit started(recording, true);
    return true;
}

void RecordingSession::stop()
{
    if (isRecording())
        end();
}

void RecordingSession::toggle(bool continuation, RecGroup* category, RecItem* recording)
{
    if (isRecording())
        stop();
    else if (continuation)
        startContinuation(recording);
    else
        startNew(category);
}

bool RecordingSession::begin(const QString& path, bool takePreRoll)
{
    emit aboutToStart();
    // The preferences' level meter lets go of the device.
    m_engine.stop();
    m_engine.setPseudoRecord(false);
    m_engine.setOutputFilePath(path);
    m_engine.setTakePreRoll(takePreRoll);
    m_engine.start();
    if (!m_engine.isRecording()) {
        qCWarning(lcSession, "The recording into \"%s\" did not start", qPrintable(path));
        emit startFailed();
        return false;
    }
    m_clock.start();
    m_preRoll = takePreRoll ? m_engine.preRollTaken() : 0.0;
    m_startOffset = 0;
    m_limit.reset();
    m_length.reset();
    return true;
}

void RecordingSession::end()
{
    m_limit.reset();
    m_limitTimer.stop();
    m_engine.stop();
    // A recording given a length ends there exactly, whatever sound the
    // source had handed over ahead of the clock.
    m_keptLength = m_engine.writtenLength();
    const bool cut = m_length && m_keptLength > m_length->count() * m_engine.writtenRate() / 1000;
    if (cut)
        m_keptLength = m_length->count() * m_engine.writtenRate() / 1000;
    m_length.reset();
    // Its length is marked exactly; a file that cannot be written anew keeps
    // the encoder's padding after the sound.
    if (m_keptLength > 0 && !AudioFile::endRecordingAt(m_engine.outputFilePath(), m_keptLength))
        qCWarning(lcSession, "The length of \"%s\" could not be marked",
                  qPrintable(m_engine.outputFilePath()));
    const bool continuation = std::exchange(m_continuing, false);
    if (continuation) {
        joinPart(!cut);
    } else if (!cut && !m_engine.writtenPeaks().empty()) {
        // The waveform of what was written, kept so that the file is never decoded for it.
        WaveformCache::store(m_engine.outputFilePath(), m_engine.writtenPeaks());
    }
    emit stopped(m_row, continuation);
    if (const double missing = m_engine.droppedSeconds(); missing > 0)
        emit message(tr("The disk could not keep up: %1 seconds of the recording are missing.")
                         .arg(QString::number(missing, 'f', 1)));
    if (const double lost = m_engine.lostSeconds(); lost > 0)
        emit message(tr("%1 seconds of the recording could not be captured: the sound server "
                        "delivered nothing for them.")
                         .arg(QString::number(std::max(0.1, lost), 'f', 1)));
}

void RecordingSession::joinPart(bool peaksFit)
{
    const QString part = m_engine.outputFilePath();
    const QString recording = std::exchange(m_continuedPath, QString());
    // The waveform before the join, if it was kept, continues with the part's.
    std::optional<PeakEnvelope> peaks = WaveformCache::envelope(recording);
    const bool joined = appendPart(recording, part);
    if (joined) {
        markSeam(recording);
        if (peaks && peaksFit)
            WaveformCache::storeJoined(recording, std::move(*peaks), m_engine.writtenPeaks(), 0,
                                       m_engine.writtenRate());
        QFile::remove(part);
        return;
    }
    if (m_continuedGroup) {
        // The part is kept as a recording of its own: no audio is lost.
        auto row = m_library.newRecording();
        row->setTitle(QFileInfo(part).completeBaseName());
        m_continuedGroup->setExpanded(true);
        emit partKept(static_cast<RecItem*>(m_library.add(std::move(row), m_continuedGroup)));
    }
    emit message(tr("Unable to combine recordings"));
}

void RecordingSession::markSeam(const QString& path)
{
    // The join may hold the first part's end a moment: the mark goes where
    // the continuation's sound begins, its length before the end.
    GeneralRecItem* row = m_library.rowAt(path);
    const double seam =
        AudioFile::fileDuration(path) - double(m_keptLength) / std::max(1, m_engine.writtenRate());
    RecItem* rec = row ? row->asItem() : nullptr;
    const TimeMark* last = nullptr;
    if (rec)
        for (const TimeMark& m : rec->marks())
            if (m.descr() == continuationMarkText() && (!last || m.markID() > last->markID()))
                last = &m;
    if (last && seam > 0)
        rec->markByID(last->markID())->setOffset(float(seam));
    m_library.save();
}

void RecordingSession::interrupted(RecorderEngine::Interruption why)
{
    // The length of this recording's own file, before a continuation joins it.
    const QString file = m_engine.outputFilePath();
    const bool recording = m_engine.isRecording();
    m_engine.stop();
    const QString saved = QString::number(std::max(0.0, AudioFile::fileDuration(file)), 'f', 1);
    if (recording)
        end();
    switch (why) {
    case RecorderEngine::Interruption::DeviceLost:
        emit message(tr("The input device was disconnected. The recording was stopped and saved."));
        break;
    case RecorderEngine::Interruption::DiskFull:
        emit message(tr("The disk is full. The recording was stopped; %1 seconds of it were saved.")
                         .arg(saved));
        break;
    case RecorderEngine::Interruption::WriteFailed:
        emit message(tr("Writing the recording failed. The recording was stopped; %1 seconds of "
                        "it were saved.")
                         .arg(saved));
        break;
    }
}
