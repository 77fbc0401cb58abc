// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/TimeView.h"

#include "playback/PlaybackDelegate.h"
#include "widgets/Images.h"
#include "widgets/TickPace.h"

#include <QPainter>

TimeView::TimeView(QWidget* parent)
    : QWidget(parent), m_backImage(Images::image(QStringLiteral("time.png"))),
      m_redBackImage(Images::image(QStringLiteral("time_red.png")))
{
    setAccessibleName(tr("Time"));
    m_timeTimer.setInterval(kTimeInterval);
    connect(&m_timeTimer, &QTimer::timeout, this, &TimeView::timeTimerFire);
}

QSize TimeView::sizeHint() const
{
    return QSize(120,
                 m_backImage.isNull() ? 32 : int(m_backImage.deviceIndependentSize().height()));
}

void TimeView::setTime(float seconds)
{
    m_displayTime = seconds;
    update();
}

void TimeView::setRedBack(bool redBack)
{
    if (m_redBack == redBack)
        return;
    m_redBack = redBack;
    update();
}

QString TimeView::timeText(float seconds)
{
    const int hours = int(seconds / 3600);
    const float rest = seconds - 3600.0f * float(hours);
    const int minutes = int(rest / 60);
    const int secs = int(rest - 60.0f * float(minutes));
    return QString::asprintf("%02d:%02d:%02d", hours, minutes, secs);
}

void TimeView::startRecording()
{
    m_startDate.start();
    m_startRecordingFromTime = m_displayTime;
    setRedBack(true);
    m_alreadyRecorded = 0;
    m_recordingNow = true;
    TickPace::set(m_timeTimer, kTimeInterval, isVisible());
}

void TimeView::stopRecording()
{
    setRedBack(false);
    m_startRecordingFromTime = 0;
    m_startDate.invalidate();
    m_timeTimer.stop();
    m_recordingNow = false;
}

bool TimeView::engineWriting() const
{
    return m_appDelegate && m_appDelegate->isRecording() && !m_appDelegate->isSkipSilence();
}

float TimeView::time() const
{
    return m_recordingNow && m_startDate.isValid() ? countedTime() : m_displayTime;
}

float TimeView::countedTime() const
{
    return m_alreadyRecorded + m_startRecordingFromTime + float(m_startDate.elapsed()) / 1000.0f;
}

void TimeView::timeTimerFire()
{
    if (m_timeTimer.isActive())
        TickPace::set(m_timeTimer, kTimeInterval, isVisible());
    if (!m_recordingNow) {
        if (engineWriting()) {
            m_startDate.start();
            m_recordingNow = true;
        }
        return;
    }
    // Repainted only when the shown second changes.
    const float now = countedTime();
    if (isVisible() && timeText(now) != timeText(m_displayTime))
        update();
    m_displayTime = now;
    if (!engineWriting()) {
        m_alreadyRecorded += float(m_startDate.elapsed()) / 1000.0f;
        m_recordingNow = false;
    }
}

void TimeView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_timeTimer.isActive())
        TickPace::set(m_timeTimer, kTimeInterval, true);
}

void TimeView::paintEvent(QPaintEvent*)
{
    if (m_backImage.isNull() || m_redBackImage.isNull())
        return;
    QPainter painter(this);
    const QImage& back = m_redBack ? m_redBackImage : m_backImage;
    for (int x = 0; x < width(); ++x)
        painter.drawImage(QPointF(x, 0), back);

    QFont font = painter.font();
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString label = text();
    const QSizeF size = QFontMetricsF(font).size(Qt::TextSingleLine, label);
    painter.drawText(
        QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size),
        Qt::AlignCenter, label);
}
