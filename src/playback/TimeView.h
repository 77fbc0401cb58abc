// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

class PlaybackDelegate;

// The clock: a time as "hh:mm:ss" in white over a background strip. During
// playback it shows what it is given; while recording it counts by itself,
// from the length the recording already had, and pauses while the engine
// drops silence so that it keeps to the length actually written. While it
// does not show, it ticks only once a second and repaints nothing; its time
// is read from the clock whenever it is asked for. Main thread only.
class TimeView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTimeInterval = 500; // ms

    explicit TimeView(QWidget* parent = nullptr);

    void setAppDelegate(PlaybackDelegate* appDelegate) { m_appDelegate = appDelegate; }

    float time() const;
    void setTime(float seconds);
    bool redBack() const { return m_redBack; }
    void setRedBack(bool redBack);
    // The text shown for a time, e.g. "00:01:05" for 65.9 seconds.
    static QString timeText(float seconds);
    QString text() const { return timeText(time()); }

    void startRecording();
    void stopRecording();
    bool isCounting() const { return m_recordingNow; }

    QSize sizeHint() const override;

public slots:
    void timeTimerFire();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool engineWriting() const;
    // The time of the stretch being counted, read from the clock now.
    float countedTime() const;

    PlaybackDelegate* m_appDelegate = nullptr;
    QImage m_backImage;
    QImage m_redBackImage;
    float m_displayTime = 0;
    bool m_redBack = false;
    // The start of the current counted stretch: a monotonic clock, so a change
    // of the wall clock during a recording does not jump the display.
    QElapsedTimer m_startDate;
    QTimer m_timeTimer;
    float m_startRecordingFromTime = 0;
    float m_alreadyRecorded = 0;
    bool m_recordingNow = false;
};
