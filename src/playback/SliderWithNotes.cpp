// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/SliderWithNotes.h"

#include "playback/RecNavigatorView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
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

namespace {

bool sameLook(const QStyleOptionSlider& a, const QStyleOptionSlider& b)
{
    return a.rect == b.rect && a.state == b.state && a.direction == b.direction &&
           a.palette.cacheKey() == b.palette.cacheKey() && a.subControls == b.subControls &&
           a.activeSubControls == b.activeSubControls && a.minimum == b.minimum &&
           a.maximum == b.maximum && a.sliderPosition == b.sliderPosition &&
           a.sliderValue == b.sliderValue && a.tickPosition == b.tickPosition &&
           a.tickInterval == b.tickInterval && a.upsideDown == b.upsideDown &&
           a.orientation == b.orientation;
}

} // namespace

void SliderWithNotes::paintEvent(QPaintEvent*)
{
    QStyleOptionSlider state;
    initStyleOption(&state);
    state.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    if (tickPosition() != NoTicks)
        state.subControls |= QStyle::SC_SliderTickmarks;
    const qreal ratio = devicePixelRatioF();
    if (m_look.isNull() || m_look.devicePixelRatio() != ratio || !sameLook(state, m_lookState)) {
        m_look = QPixmap(size() * ratio);
        m_look.setDevicePixelRatio(ratio);
        m_look.fill(Qt::transparent);
        QPainter painter(&m_look);
        painter.setPen(palette().color(foregroundRole()));
        painter.setFont(font());
        style()->drawComplexControl(QStyle::CC_Slider, &state, &painter, this);
        m_lookState = state;
    }
    QPainter(this).drawPixmap(0, 0, m_look);
}

void SliderWithNotes::changeEvent(QEvent* event)
{
    // A new style sheet may draw the same state differently.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
        m_look = QPixmap();
    QSlider::changeEvent(event);
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
