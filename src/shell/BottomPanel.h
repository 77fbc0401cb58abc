// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

// The toolbar's background strip: a left cap, a repeated middle and a right
// cap, each 8 points wide. Main thread only.
class BottomPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCapWidth = 8;

    explicit BottomPanel(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_leftCorner;
    QPixmap m_rightCorner;
    QPixmap m_centerImg;
};
