// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PageContainer.h"

#include <QEasingCurve>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

PageContainer::PageContainer(QWidget* parent) : QWidget(parent) {}

bool PageContainer::isSliding() const
{
    return m_slide && m_slide->state() == QAbstractAnimation::Running;
}

void PageContainer::finishSlide()
{
    if (m_slide) {
        m_slide->stop();
        delete m_slide;
    }
    if (m_leaving && m_leaving != m_current)
        m_leaving->hide();
    m_leaving = nullptr;
    if (m_current)
        m_current->setGeometry(rect());
}

void PageContainer::setCurrentView(QWidget* page)
{
    if (!page || page == m_current)
        return;
    finishSlide();
    if (page->parentWidget() != this)
        page->setParent(this);

    QWidget* old = m_current;
    m_current = page;
    const int w = width();
    const bool slide = old && m_duration > 0 && isVisible() && w > 0;
    if (!slide) {
        if (old)
            old->hide();
        page->setGeometry(rect());
        page->show();
        page->raise();
        return;
    }

    const int sign = m_direction == Direction::FromRight ? 1 : -1;
    page->setGeometry(QRect(QPoint(sign * w, 0), size()));
    page->show();
    page->raise();
    m_leaving = old;

    auto* group = new QParallelAnimationGroup(this);
    auto* in = new QPropertyAnimation(page, "pos", group);
    in->setStartValue(QPoint(sign * w, 0));
    in->setEndValue(QPoint(0, 0));
    auto* out = new QPropertyAnimation(old, "pos", group);
    out->setStartValue(QPoint(0, 0));
    out->setEndValue(QPoint(-sign * w, 0));
    for (QPropertyAnimation* animation : {in, out}) {
        animation->setDuration(m_duration);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        group->addAnimation(animation);
    }
    connect(group, &QAbstractAnimation::finished, this, [this, group] {
        if (m_slide == group) {
            m_slide = nullptr;
            group->deleteLater();
            finishSlide();
        }
    });
    m_slide = group;
    group->start();
}

QSize PageContainer::sizeHint() const
{
    return m_current ? m_current->sizeHint() : QWidget::sizeHint();
}

void PageContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    finishSlide();
}
