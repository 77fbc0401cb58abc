// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/FloatSlider.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

FloatSlider::FloatSlider(double low, double high, int steps, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_minimum(low), m_maximum(high), m_value(low)
{
    steps = std::max(1, steps);
    setRange(0, steps);
    setSingleStep(1);
    setPageStep(std::max(1, steps / 10));
    connect(this, &QSlider::valueChanged, this, [this](int step) {
        m_value = m_minimum + (m_maximum - m_minimum) * step / maximum();
        emit doubleValueChanged(m_value);
    });
}

void FloatSlider::setDoubleValue(double value)
{
    m_value = value;
    const double span = m_maximum - m_minimum;
    const double position = span > 0.0 ? (value - m_minimum) / span * maximum() : 0.0;
    const QSignalBlocker blocker(this);
    setValue(std::isfinite(position)
                 ? int(std::lround(std::clamp(position, 0.0, double(maximum()))))
                 : 0);
}
