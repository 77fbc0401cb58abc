// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QSlider>
#include <QStyleOptionSlider>

class RecNavigatorView;

// The position slider: its value is a fraction of the recording, 0 to 1. A
// mouse press is offered first to the navigator strip, so that a click on a
// time mark selects the mark instead of moving the knob. A press elsewhere on
// the groove puts the knob there. userMoved() is sent when the user has
// moved the knob: on release after a drag or a click, and on a key or wheel step.
// Main thread only.
class SliderWithNotes : public QSlider
{
    Q_OBJECT
public:
    static constexpr int kSteps = 100000;

    explicit SliderWithNotes(QWidget* parent = nullptr);

    void setRecNavigatorView(RecNavigatorView* view) { m_recNavigatorView = view; }
    RecNavigatorView* recNavigatorView() const { return m_recNavigatorView; }

    // The exact value last set, or the knob's position after the user moved it.
    double doubleValue() const { return m_value; }
    float floatValue() const { return float(m_value); }
    // Values beyond the ends are pinned to them.
    void setDoubleValue(double value);

signals:
    void userMoved(SliderWithNotes* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void knobMoved(int position);

    // The slider as last drawn, and the state it was drawn from: the strip
    // beneath it repaints it four times a second while recording, unchanged.
    QPixmap m_look;
    QStyleOptionSlider m_lookState;
    RecNavigatorView* m_recNavigatorView = nullptr;
    double m_value = 0;
    bool m_pressed = false;
};
