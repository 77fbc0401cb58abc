// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up window: opening and closing it, its two pages and its buttons.
#include "app/RecorderAppDelegate.h"

#include "app/MainView.h"
#include "outline/RecOutlineController.h"
#include "shell/AttachedSide.h"
#include "shell/CustomView.h"
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/SwitchToolbarBtn.h"
#include "shell/ToolbarButton.h"
#include "shell/ZwAttachedWindow.h"

namespace {

// The strip of the window that holds its arrow.
constexpr int kArrowStrip = 16;

} // namespace

void RecorderAppDelegate::setPointerQuery(std::function<QPoint()> position,
                                          std::function<Qt::MouseButtons()> buttons)
{
    m_pointerPosition = std::move(position);
    m_mouseButtons = std::move(buttons);
}

void RecorderAppDelegate::showAttachedWindow(QPoint point)
{
    m_attachedWindow.reset();
    m_attachedWindow = ZwAttachedWindow::create(m_backView.get(), point, AttachedSideAutomatic, 5.0);
    m_attachedWindow->show();
    m_attachedWindow->raise();
    m_attachedWindow->activateWindow();
}

void RecorderAppDelegate::toggleAttachedWindowAtPoint(QPoint point)
{
    if (m_attachedWindow && m_attachedWindow->isVisible()) {
        m_attachedWindow->hide();
        switchToView(m_mainView);
        return;
    }
    // Made anew at each opening, so the window lands under the icon wherever
    // the tray is now, on the side where it fits.
    showAttachedWindow(point);
}

void RecorderAppDelegate::switchToView(QWidget* view)
{
    if (view == m_prefView)
        m_backView->setDirection(PageContainer::Direction::FromRight);
    else if (view == m_mainView)
        m_backView->setDirection(PageContainer::Direction::FromLeft);
    else
        return;
    setCurrentView(view);
}

void RecorderAppDelegate::setCurrentView(QWidget* view)
{
    m_backView->setCurrentView(view);
    m_currentView = view;
}

void RecorderAppDelegate::showPrefs()
{
    switchToView(m_prefView);
}

void RecorderAppDelegate::showMainView()
{
    switchToView(m_mainView);
}

void RecorderAppDelegate::windowResignKey()
{
    if (m_statusView && m_attachedWindow && m_attachedWindow->isVisible())
        m_hideTimer.start();
}

void RecorderAppDelegate::hideTimerFire()
{
    if (m_mouseButtons() == Qt::LeftButton)
        return;
    m_hideTimer.stop();
    if (!m_attachedWindow)
        return;
    const QPoint local = m_attachedWindow->mapFromGlobal(m_pointerPosition());
    QRect body = m_attachedWindow->rect();
    // The arrow's strip does not count as the window.
    if (attachedSideGroup(m_attachedWindow->side()) == AttachedSideGroup::Bottom)
        body.setTop(kArrowStrip);
    else
        body.setBottom(body.bottom() - kArrowStrip);
    if (body.contains(local))
        return;
    if (m_statusView && m_attachedWindow->isVisible())
        m_statusView->hideWindow();
}

void RecorderAppDelegate::setupButtons()
{
    MainView* v = m_mainView;
    const std::pair<ToolbarButton*, const char*> disabled[] = {
        {v->playBtn, "play_disabled.png"},
        {v->jumpForward, "play_right_disabled.png"},
        {v->jumpBackward, "play_left_disabled.png"},
        {v->addCategoryBtn, "add_category_disabled.png"},
        {v->deleteBtn, "delete_disabled.png"},
        {v->addMarkBtn, "add_marker_disabled.png"},
        {v->removeMarkBtn, "delete_marker_disabled.png"},
        {v->splitBtn, "split_disabled.png"},
        {v->recordBtn, "record_disabled.png"},
        {v->continueBtn, "record_continue_disabled.png"},
        {v->prefsBtn, "preferences_disabled.png"},
    };
    for (auto [button, image] : disabled)
        button->setDisabledImage(Images::pixmap(image));
    connect(v->prefsBtn, &ToolbarButton::clicked, this, &RecorderAppDelegate::showPrefs);
}

void RecorderAppDelegate::updateButtonsState()
{
    MainView* v = m_mainView;
    const bool rec = isRecording();
    const bool res = m_recordResuming;
    const GeneralRecItem* chief = m_outlineController->chiefSelectedItem();
    v->addCategoryBtn->setEnabled(!rec);
    v->deleteBtn->setEnabled(chief && !rec);
    v->prefsBtn->setEnabled(!rec);
    v->recordBtn->setEnabled(!rec || !res);
}
