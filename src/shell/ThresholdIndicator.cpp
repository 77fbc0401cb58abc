// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ThresholdIndicator.h"

#include "shell/ThresholdIndicatorAccessible.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

ThresholdIndicator::ThresholdIndicator(QWidget* parent) : QWidget(parent)
{
    ThresholdIndicatorAccessible::installFactory();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

float ThresholdIndicator::threshold() const
{
    return float(m_threshold * kMaxValue / kLevelScale);
}

void ThresholdIndicator::setThreshold(float threshold)
{
    m_threshold = float(threshold * kLevelScale / kMaxValue);
    update();
}

int ThresholdIndicator::markX() const
{
    // The top of the scale would put the mark one column past the edge.
    return std::clamp(int(float(width()) * m_threshold), 0, std::max(0, width() - 1));
}

void ThresholdIndicator::setDoubleValue(double value)
{
    if (std::isnan(value))
        value = 0.0;
    if (value == m_value)
        return;
    m_value = value;
    update();
}

QSize ThresholdIndicator::sizeHint() const
{
    return {200, 10};
}

QSize ThresholdIndicator::minimumSizeHint() const
{
    return {40, 10};
}

void ThresholdIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min<qreal>(3.0, frame.height() / 2.0);

    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath groove;
    groove.addRoundedRect(frame, radius, radius);
    painter.fillPath(groove, QColor(255, 255, 255, isEnabled() ? 26 : 12));

    const double fraction = std::clamp(m_value / kMaxValue, 0.0, 1.0);
    if (fraction > 0.0) {
        QRectF bar = frame;
        bar.setWidth(frame.width() * fraction);
        QLinearGradient green(bar.topLeft(), bar.bottomLeft());
        green.setColorAt(0.0, QColor(0x5e, 0xe0, 0x7a));
        green.setColorAt(1.0, QColor(0x28, 0xb0, 0x4c));
        painter.save();
        painter.setClipPath(groove);
        painter.fillRect(bar, green);
        painter.restore();
    }
    painter.setPen(QPen(QColor(0, 0, 0, 115), 1.0));
    painter.drawPath(groove);

    // One whole pixel column, as the meter's own units would truncate it.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(0xff, 0x3b, 0x30), 0));
    const int x = markX();
    painter.drawLine(x, 0, x, height());
}
