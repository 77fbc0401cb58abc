// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/SliderWithNotes.h"

#include "playback/RecNavigatorView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

SliderWithNotes::SliderWithNotes(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(0, kSteps);
    setPageStep(kSteps / 20);
    setSingleStep(kSteps / 200);
    // Hover over the slider's top edge reaches the markers drawn there.
    setMouseTracking(true);
    setAccessibleName(tr("Playback Position"));
    connect(this, &QSlider::valueChanged, this, &SliderWithNotes::knobMoved);
}

void SliderWithNotes::setDoubleValue(double value)
{
    if (std::isnan(value))
        value = 0;
    m_value = std::clamp(value, 0.0, 1.0);
    const QSignalBlocker blocker(this);
    setValue(int(std::lround(m_value * kSteps)));
}

void SliderWithNotes::knobMoved(int position)
{
    m_value = double(position) / kSteps;
}

void SliderWithNotes::mousePressEvent(QMouseEvent* event)
{
    if (m_recNavigatorView) {
        const QPoint inStrip =
            m_recNavigatorView->mapFromGlobal(mapToGlobal(event->position().toPoint()));
        if (m_recNavigatorView->processMouseClick(inStrip)) {
            event->accept();
            return;
        }
    }
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (!handle.contains(event->position().toPoint())) {
        // Jump to the pressed place; the press below then drags the knob from there.
        const int span = std::max(1, width() - handle.width());
        const int x = int(event->position().x()) - handle.width() / 2;
        setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), x, span));
    }
    m_pressed = true;
    QSlider::mousePressEvent(event);
}

void SliderWithNotes::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    if (m_pressed) {
        m_pressed = false;
        emit userMoved(this);
    }
}

void SliderWithNotes::keyPressEvent(QKeyEvent* event)
{
    const int before = value();
    QSlider::keyPressEvent(event);
    if (value() != before)
        emit userMoved(this);
}

void SliderWithNotes::wheelEvent(QWheelEvent* event)
{
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before)
        emit userMoved(this);
}
