// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/RecNavigController.h"

#include "media/AudioFile.h"
#include "playback/PlaybackDelegate.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"
#include "widgets/TickPace.h"

#include <QEventLoop>
#include <QFileInfo>
#include <algorithm>
#include <limits>

RecNavigController::RecNavigController(QObject* parent)
    : QObject(parent),
      m_opener([this](std::unique_ptr<AudioFile> movie) { adoptMovie(std::move(movie)); })
{
    m_timer.setInterval(kPlaybackInterval);
    connect(&m_timer, &QTimer::timeout, this, &RecNavigController::updateSlider);
    m_liveTimer.setInterval(kLiveInterval);
    connect(&m_liveTimer, &QTimer::timeout, this, &RecNavigController::liveTimerFire);
}

RecNavigController::~RecNavigController() = default;

QString RecNavigController::continueNoteText()
{
    return tr("Position in which the recording was continued");
}

void RecNavigController::setRecSlider(SliderWithNotes* slider)
{
    if (m_recSlider)
        disconnect(m_recSlider, nullptr, this, nullptr);
    m_recSlider = slider;
    if (slider)
        connect(slider, &SliderWithNotes::userMoved, this, &RecNavigController::scrubAudio);
}

bool RecNavigController::waitUntilLoaded(AudioFile& movie)
{
    // A negative state is a failed load.
    auto settled = [](long state) { return state < 0 || state >= AudioFile::kLoadStateComplete; };
    if (!settled(movie.loadState())) {
        QEventLoop loop;
        QTimer::singleShot(kLoadTimeout, &loop, &QEventLoop::quit);
        connect(&movie, &AudioFile::loadStateChanged, &loop, [&loop, settled](long state) {
            if (settled(state))
                loop.quit();
        });
        loop.exec();
    }
    return movie.loadState() >= AudioFile::kLoadStateComplete;
}

void RecNavigController::setCurrentFile(GeneralRecItem* item)
{
    RecItem* rec = item ? item->asItem() : nullptr;
    if (item && !rec)
        return;
    QString path;
    if (rec) {
        if (rec == m_currentRec)
            return;
        if (m_appDelegate)
            path = m_appDelegate->restorePath(rec);
    }
    m_opener.cancel();
    // An open pop-up belongs to the marks of the recording that goes.
    hideNote();
    if (playingNow())
        stop();
    if (m_movie) {
        m_movie.reset();
        m_movieDuration.timeValue = 0;
        ++m_previewSerial;
    }
    if (!m_isRecordMode) {
        if (m_recSlider)
            m_recSlider->setDoubleValue(0);
        if (m_timeView)
            m_timeView->setTime(0);
    }
    m_currentRec = rec;
    m_currentPath = path;
    // The file of a recording being made is not measured: its level is.
    if (m_recNavigatorView)
        m_recNavigatorView->showWaveformOf(m_appDelegate && m_appDelegate->isRecording() ? QString()
                                                                                         : path);

    if (rec && !path.isEmpty() && QFileInfo::exists(path)) {
        if (m_recSlider)
            m_recSlider->setEnabled(true);
        // Until the file is open its marks stand on the length the library knows.
        if (!m_isRecordMode)
            m_movieDuration = MediaTime{int64_t(rec->duration() * 1000), 1000, 0};
        m_opener.open(path);
    } else if (m_recSlider) {
        m_recSlider->setEnabled(false);
    }
    updateNotes();
}

void RecNavigController::adoptMovie(std::unique_ptr<AudioFile> movie)
{
    if (!movie || !waitUntilLoaded(*movie)) {
        // A file that does not open has no length to place marks on.
        if (!m_isRecordMode) {
            m_movieDuration.timeValue = 0;
            updateNotes();
        }
        return;
    }
    m_movie = std::move(movie);
    // While recording, the length follows the clock.
    if (m_isRecordMode)
        return;
    m_movieDuration = m_movie->duration();
    if (m_movieDuration.timeScale > 0 && m_currentRec) {
        const double fileDuration = double(m_movieDuration.timeValue) / m_movieDuration.timeScale;
        if (fileDuration != m_currentRec->duration()) {
            m_currentRec->setDuration(fileDuration);
            if (m_appDelegate)
                m_appDelegate->structChanged();
        }
    }
    updateNotes();
}

void RecNavigController::ensureOpen()
{
    m_opener.finish();
}

AudioFile* RecNavigController::movie()
{
    ensureOpen();
    return m_movie.get();
}

bool RecNavigController::playingNow() const
{
    return m_movie && m_movie->rate() != 0.0f;
}

bool RecNavigController::play()
{
    ensureOpen();
    if (!m_movie)
        return false;
    if (playingNow()) {
        // Play during a scrub preview keeps the sound going as real playback.
        if (!m_timer.isActive()) {
            ++m_previewSerial;
            m_timer.start();
        }
        return true;
    }
    startMovie();
    // A sound server that refuses the stream leaves the movie standing.
    if (!playingNow())
        return false;
    m_timer.start();
    return true;
}

void RecNavigController::startMovie()
{
    // The movie's play() resumes where its player last stopped and forgets a
    // position set since; put the position back when that happened. At the
    // end it rightly starts again from the beginning.
    const MediaTime at = m_movie->currentTime();
    m_movie->play();
    if (compareMediaTimes(at, m_movie->duration()) < 0 &&
        compareMediaTimes(m_movie->currentTime(), at) != 0)
        m_movie->setCurrentTime(at);
}

void RecNavigController::stop()
{
    if (playingNow())
        m_movie->stop();
    m_timer.stop();
    if (m_appDelegate)
        m_appDelegate->updateButtonsState();
}

void RecNavigController::updateSlider()
{
    if (!playingNow()) {
        stop();
        return;
    }
    // The knob stays with the user's hand while it is dragged.
    if (m_recSlider && m_recSlider->isSliderDown())
        return;
    updateSliderPosition();
    updateTimeTextField();
}

void RecNavigController::updateSliderPosition()
{
    if (!m_movie || m_movieDuration.timeValue == 0 || !m_recSlider)
        return;
    // In seconds: in recording mode the length is counted in milliseconds.
    const double duration = secondsOf(m_movieDuration);
    if (duration != 0)
        m_recSlider->setDoubleValue(secondsOf(m_movie->currentTime()) / duration);
}

void RecNavigController::updateTimeTextField()
{
    if (m_timeView)
        m_timeView->setTime(currentTime());
}

float RecNavigController::currentTime() const
{
    if (m_movieDuration.timeScale == 0 || !m_recSlider)
        return 0;
    const float duration = float(m_movieDuration.timeValue) / float(m_movieDuration.timeScale);
    return duration * m_recSlider->floatValue();
}

void RecNavigController::scrubAudio(SliderWithNotes* sender)
{
    ensureOpen();
    if (!m_movie || !sender)
        return;
    const auto timeValue = int64_t(double(m_movieDuration.timeValue) * sender->doubleValue());
    m_movie->setCurrentTime(MediaTime{timeValue, m_movieDuration.timeScale, 0});
    updateTimeTextField();
    if (!playingNow() && timeValue < m_movieDuration.timeValue)
        startPreview();
}

void RecNavigController::startPreview()
{
    startMovie();
    const quint64 serial = ++m_previewSerial;
    QTimer::singleShot(kPreviewLength, this, [this, serial] {
        if (serial == m_previewSerial)
            checkPlayback();
    });
}

void RecNavigController::checkPlayback()
{
    if (!m_movie || m_movie->rate() <= 0.0f)
        return;
    stop();
    updateSlider();
}

void RecNavigController::jumpForward()
{
    ensureOpen();
    if (!m_movie || m_movieDuration.timeScale == 0)
        return;
    const double duration = secondsOf(m_movieDuration);
    double t = currentTime() + kJump;
    if (t > duration)
        t = duration - 0.5;
    jumpTo(t);
}

void RecNavigController::jumpBackward()
{
    ensureOpen();
    if (!m_movie || m_movieDuration.timeScale == 0)
        return;
    jumpTo(std::max(0.0, double(currentTime()) - kJump));
}

void RecNavigController::jumpTo(double seconds)
{
    const int32_t scale = m_movieDuration.timeScale;
    m_movie->setCurrentTime(MediaTime{int64_t(std::max(0.0, seconds) * scale), scale, 0});
    updateSliderPosition();
    updateTimeTextField();
    scrubAudio(m_recSlider);
}

void RecNavigController::updateNotes()
{
    if (!m_recNavigatorView)
        return;
    if (!m_currentRec) {
        m_recNavigatorView->setNotes(nullptr);
        return;
    }
    if (m_movieDuration.timeScale == 0)
        return;
    const float duration = float(m_movieDuration.timeValue) / float(m_movieDuration.timeScale);
    auto notes = std::make_unique<RecNavigatorView::NoteList>();
    notes->reserve(m_currentRec->marks().size());
    for (const auto& mark : m_currentRec->marks()) {
        StripNote& copy = notes->emplace_back();
        copy.setMarkID(mark.markID());
        copy.setOffset(mark.offset());
        copy.setDescr(mark.descr());
        // Without a length no mark has a place on the strip.
        copy.setOffsetPerc(duration != 0 ? mark.offset() / duration
                                         : std::numeric_limits<float>::quiet_NaN());
    }
    m_recNavigatorView->setNotes(std::move(notes));
}

void RecNavigController::addNoteWithDescr(const QString& descr)
{
    if (!m_currentRec)
        return;
    ensureOpen();
    // At the end of the recording as the clock has it now, not at the last tick.
    if (m_isRecordMode) {
        followDuration();
        m_currentRec->setDuration(currentTime());
    }
    m_currentRec->addMarkAtTime(currentTime(), descr, m_currentRec->createMarkID());
    updateNotes();
    if (m_appDelegate) {
        m_appDelegate->structChanged();
        m_appDelegate->updateButtonsState();
    }
}

void RecNavigController::addNote()
{
    addNoteWithDescr(QStringLiteral(""));
}

void RecNavigController::addContinueNote()
{
    addNoteWithDescr(continueNoteText());
}

void RecNavigController::removeNote()
{
    if (!m_currentRec)
        return;
    const int markID = selectedMarkID();
    TimeMark* mark = markID >= 0 ? m_currentRec->markByID(markID) : nullptr;
    if (!mark)
        return;
    m_currentRec->removeMark(mark);
    updateNotes();
    if (m_appDelegate) {
        m_appDelegate->structChanged();
        m_appDelegate->updateButtonsState();
    }
}

void RecNavigController::hideNote()
{
    if (m_recNavigatorView)
        m_recNavigatorView->hideNote();
}

void RecNavigController::noteChanged(const TimeMark* copy)
{
    if (!copy || !m_currentRec)
        return;
    if (TimeMark* mark = m_currentRec->markByID(copy->markID()))
        m_currentRec->setMarkDescr(mark, copy->descr());
}

int RecNavigController::selectedMarkID() const
{
    return m_recNavigatorView ? m_recNavigatorView->selectedMarkID() : -1;
}

void RecNavigController::setRecordingMode(bool on)
{
    if (on == m_isRecordMode)
        return;
    m_isRecordMode = on;
    if (on) {
        if (m_recSlider) {
            m_recSlider->setDoubleValue(100.0);
            m_recSlider->setEnabled(false);
        }
        paceLiveTimer();
        if (m_recNavigatorView)
            m_recNavigatorView->beginLive(m_currentPath, curFileDuration());
    } else {
        m_liveTimer.stop();
        if (m_recNavigatorView)
            m_recNavigatorView->endLive();
        if (m_recSlider) {
            m_recSlider->setDoubleValue(0.0);
            m_recSlider->setEnabled(true);
        }
    }
    updateTimeTextField();
}

void RecNavigController::liveTimerFire()
{
    paceLiveTimer();
    showLiveLevel();
    followDuration();
}

void RecNavigController::paceLiveTimer()
{
    if (m_isRecordMode)
        TickPace::set(m_liveTimer, kLiveInterval,
                      m_recNavigatorView && m_recNavigatorView->isVisible());
}

void RecNavigController::followDuration()
{
    if (!m_timeView)
        return;
    const float t = m_timeView->time();
    m_movieDuration = MediaTime{int64_t(double(t) * 1000), 1000, 0};
    // The row shows whole seconds: it is told the length when it shows another.
    if (m_currentRec && int(t) != int(m_currentRec->duration()))
        m_currentRec->setDuration(t);
    updateNotes();
}

double RecNavigController::curFileDuration()
{
    ensureOpen();
    if (!m_movie || m_movieDuration.timeScale == 0)
        return 0;
    return double(m_movieDuration.timeValue) / m_movieDuration.timeScale;
}

void RecNavigController::showLiveLevel()
{
    if (!m_recNavigatorView || !m_timeView || !m_appDelegate)
        return;
    // Nothing written since the last tick, from a source that delivers in
    // blocks: the level of the next block covers the stretch.
    const float level = m_appDelegate->takeRecordedLevel();
    if (level >= 0)
        m_recNavigatorView->addLiveLevel(m_timeView->time(), level);
}
