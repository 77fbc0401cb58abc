// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ThresholdIndicatorAccessible.h"

#include "shell/ThresholdIndicator.h"
#include "widgets/AccessibleFactory.h"

ThresholdIndicatorAccessible::ThresholdIndicatorAccessible(ThresholdIndicator* indicator)
    : QAccessibleWidget(indicator, QAccessible::ProgressBar)
{
}

void ThresholdIndicatorAccessible::installFactory()
{
    installAccessibleFactory<ThresholdIndicator, ThresholdIndicatorAccessible>();
}

ThresholdIndicator* ThresholdIndicatorAccessible::indicator() const
{
    return static_cast<ThresholdIndicator*>(widget());
}

void* ThresholdIndicatorAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant ThresholdIndicatorAccessible::currentValue() const
{
    return indicator()->doubleValue();
}

// The meter follows the input; nobody sets it.
void ThresholdIndicatorAccessible::setCurrentValue(const QVariant&) {}

QVariant ThresholdIndicatorAccessible::maximumValue() const
{
    return ThresholdIndicator::kMaxValue;
}

QVariant ThresholdIndicatorAccessible::minimumValue() const
{
    return 0.0;
}

QVariant ThresholdIndicatorAccessible::minimumStepSize() const
{
    return 0.0;
}
