// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSlider>

// A horizontal slider over a range of real numbers in a fixed number of steps.
// A value set in code is kept exactly, even between two steps or outside the
// range, so showing a stored value never changes it; the handle only goes to
// the nearest step. Main thread only.
class FloatSlider : public QSlider
{
    Q_OBJECT
public:
    FloatSlider(double low, double high, int steps, QWidget* parent = nullptr);

    double doubleValue() const { return m_value; }
    // Emits nothing.
    void setDoubleValue(double value);

    double minimumValue() const { return m_minimum; }
    double maximumValue() const { return m_maximum; }

signals:
    // The user moved the handle.
    void doubleValueChanged(double value);

private:
    double m_minimum;
    double m_maximum;
    double m_value;
};
