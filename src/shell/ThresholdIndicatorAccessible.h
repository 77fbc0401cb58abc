// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class ThresholdIndicator;

// The level meter for screen readers: a progress bar whose value is the
// level it shows, on the meter's own scale. Main thread only.
class ThresholdIndicatorAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ThresholdIndicatorAccessible(ThresholdIndicator* indicator);

    // Makes Qt ask this class for every level meter; once per process.
    static void installFactory();

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    ThresholdIndicator* indicator() const;
};
