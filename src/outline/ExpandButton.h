// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>

// The disclosure triangle of a category row: pointing right when the
// category is collapsed, down when it is expanded (checked).
class ExpandButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int kSize = 16;

    explicit ExpandButton(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(kSize, kSize); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
