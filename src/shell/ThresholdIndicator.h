// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A horizontal level meter with a red mark at the silence threshold. The
// meter shows the input level times 30 on a scale of 0 to kMaxValue, and the
// mark stands at threshold * 30 / kMaxValue of the width, so a level equal to
// the threshold reaches the mark. Main thread only.
class ThresholdIndicator : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kMaxValue = 20.0;
    // Meter units per level unit.
    static constexpr double kLevelScale = 30.0;

    explicit ThresholdIndicator(QWidget* parent = nullptr);

    // In level units, as the threshold slider gives it.
    float threshold() const;
    void setThreshold(float threshold);
    // The column the mark is drawn in.
    int markX() const;

    double doubleValue() const { return m_value; }
    void setDoubleValue(double value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float m_threshold = 0.15f;
    double m_value = 0.0;
};
