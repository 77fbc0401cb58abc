// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The translucent strip behind the search field above the outline.
class SearchBackView : public QWidget
{
    Q_OBJECT
public:
    explicit SearchBackView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
