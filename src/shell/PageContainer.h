// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QParallelAnimationGroup;

// Holds one page at a time and replaces it by another with a push slide: the
// new page comes in from one side and pushes the old one out on the other.
// Pages become children of the container and fill it. Main thread only.
class PageContainer : public QWidget
{
    Q_OBJECT
public:
    enum class Direction
    {
        FromLeft,
        FromRight
    };

    explicit PageContainer(QWidget* parent = nullptr);

    // Where the next page comes in from.
    void setDirection(Direction direction) { m_direction = direction; }
    Direction direction() const { return m_direction; }
    // Slide duration in milliseconds; 0 switches at once.
    void setDuration(int milliseconds) { m_duration = milliseconds; }
    int duration() const { return m_duration; }

    // Shows the page, sliding when another page is shown and the container
    // is visible; a slide still running is finished first.
    void setCurrentView(QWidget* page);
    QWidget* currentView() const { return m_current; }
    bool isSliding() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void finishSlide();

    Direction m_direction = Direction::FromRight;
    int m_duration = 250;
    QPointer<QWidget> m_current;
    QPointer<QWidget> m_leaving;
    QPointer<QParallelAnimationGroup> m_slide;
};
