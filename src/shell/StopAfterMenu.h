// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <chrono>

// The record button's menu: a recording that stops by itself after 15 or
// 30 minutes, 1 or 2 hours, or a length the user enters; and the planned
// recordings. Main thread only.
class StopAfterMenu : public QMenu
{
    Q_OBJECT
public:
    explicit StopAfterMenu(QWidget* parent = nullptr);

signals:
    void chosen(std::chrono::minutes length);
    void plansChosen();

private:
    void askForLength();
};
