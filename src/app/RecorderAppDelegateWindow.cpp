// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up window: opening and closing it, its two pages and its buttons.
#include "app/MainView.h"
#include "app/RecorderAppDelegate.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "shell/AttachedSide.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "shell/SwitchToolbarBtn.h"
#include "shell/ToolbarButton.h"
#include "shell/ZwAttachedWindow.h"

#include <QGuiApplication>
#include <QScreen>

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
    m_attachedWindow =
        ZwAttachedWindow::create(m_backView.get(), point, AttachedSideAutomatic, 5.0);
    // An icon at the very edge of the screen would push the window past it:
    // the arrow then points a few pixels beside the icon instead.
    const QScreen* screen = QGuiApplication::screenAt(point);
    const QRect frame = m_attachedWindow->geometry();
    if (screen && !screen->availableGeometry().contains(frame)) {
        const QRect area = screen->availableGeometry();
        const int dx =
            std::max(0, area.left() - frame.left()) - std::max(0, frame.right() - area.right());
        if (dx != 0) {
            m_attachedWindow.reset();
            m_attachedWindow = ZwAttachedWindow::create(m_backView.get(), point + QPoint(dx, 0),
                                                        AttachedSideAutomatic, 5.0);
        }
    }
    m_attachedWindow->show();
    m_attachedWindow->raise();
    m_attachedWindow->activateWindow();
    // The keys go to the outline first, not to the Record button.
    m_mainView->outlineView()->setFocus(Qt::ActiveWindowFocusReason);
}

void RecorderAppDelegate::toggleAttachedWindowAtPoint(QPoint point)
{
    if (m_attachedWindow && m_attachedWindow->isVisible()) {
        m_descrPanel->hide();
        m_attachedWindow->hide();
        switchToView(m_mainView);
        return;
    }
    // Made anew at each opening, so the window lands under the icon wherever
    // the tray is now, on the side where it fits.
    showAttachedWindow(point);
    if (m_mainView->showDescrBtn->state() && !m_descrPanel->isVisible()) {
        placeDescrPanel();
        m_descrPanel->show();
        m_attachedWindow->activateWindow();
    }
}

void RecorderAppDelegate::placeDescrPanel()
{
    // Left of the window, its top level with the window's body below the arrow.
    const QRect frame = m_attachedWindow->geometry();
    m_descrPanel->move(frame.x() - m_descrPanel->width() - 10, frame.y() + 16);
}

void RecorderAppDelegate::showHideDescr(bool on)
{
    showDescrWnd(on);
    m_settings.setHideDescrWnd(!on);
}

void RecorderAppDelegate::showDescrWnd(bool show)
{
    if (!m_attachedWindow)
        return;
    m_mainView->showDescrBtn->setState(show);
    if (show) {
        m_mainView->showDescrBtn->setToolTip(tr("Hide Recordings Editor"));
        placeDescrPanel();
        m_descrPanel->show();
        m_descrPanel->raise();
        m_descrPanel->activateWindow();
    } else {
        m_mainView->showDescrBtn->setToolTip(tr("Show Recordings Editor"));
        m_descrPanel->close();
    }
}

void RecorderAppDelegate::descrWindowWillClose()
{
    if (!m_descrPanel->isVisible())
        return;
    m_mainView->showDescrBtn->setState(false);
    m_mainView->showDescrBtn->setToolTip(tr("Show Recordings Editor"));
    if (m_attachedWindow) {
        m_attachedWindow->raise();
        m_attachedWindow->activateWindow();
    }
    m_settings.setHideDescrWnd(true);
}

GeneralRecItem* RecorderAppDelegate::chiefSelectedItem() const
{
    return m_outlineController->chiefSelectedItem();
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
    m_prefView->setCurrent(view == m_prefView);
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
    if (!m_prefView->inOpenDialog() && m_statusView && m_attachedWindow &&
        m_attachedWindow->isVisible())
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
    if (m_descrPanel->isVisible() &&
        m_descrPanel->rect().contains(m_descrPanel->mapFromGlobal(m_pointerPosition())))
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

    const std::pair<ToolbarButton*, void (RecorderAppDelegate::*)()> actions[] = {
        {v->playBtn, &RecorderAppDelegate::play},
        {v->jumpForward, &RecorderAppDelegate::jumpForward},
        {v->jumpBackward, &RecorderAppDelegate::jumpBackward},
        {v->addCategoryBtn, &RecorderAppDelegate::addGroup},
        {v->deleteBtn, &RecorderAppDelegate::removeSelected},
        {v->addMarkBtn, &RecorderAppDelegate::addNote},
        {v->removeMarkBtn, &RecorderAppDelegate::removeNote},
        {v->splitBtn, &RecorderAppDelegate::split},
        {v->prefsBtn, &RecorderAppDelegate::showPrefs},
    };
    for (auto [button, action] : actions)
        connect(button, &ToolbarButton::clicked, this, action);
    connect(v->showDescrBtn, &SwitchToolbarBtn::clicked, this, &RecorderAppDelegate::showHideDescr);
    connect(v->recordBtn, &ToolbarButton::clicked, this, [this] { startStopRecording(); });
    connect(v->continueBtn, &ToolbarButton::clicked, this, [this] { resumeStopRecording(); });
}

void RecorderAppDelegate::chiefSelectedChanged()
{
    GeneralRecItem* chief = m_outlineController->chiefSelectedItem();
    m_panelController->setCurrentFile(chief);
    m_recNavigController->setCurrentFile(chief && !chief->isGroup() ? chief : nullptr);
    updateButtonsState();
}

void RecorderAppDelegate::updateCurrentItemInfo()
{
    RecItem* current = m_recNavigController->currentFile();
    if (!current)
        return;
    m_panelController->setCurrentFile(current);
    m_recNavigController->setCurrentFile(nullptr);
    m_recNavigController->setCurrentFile(current);
    current->setDuration(m_recNavigController->curFileDuration());
    structChanged();
    updateButtonsState();
}

void RecorderAppDelegate::play()
{
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    else
        m_recNavigController->play();
    updatePlayBtnState();
}

void RecorderAppDelegate::addNote()
{
    m_recNavigController->addNote();
}

void RecorderAppDelegate::removeNote()
{
    m_recNavigController->removeNote();
}

void RecorderAppDelegate::jumpForward()
{
    m_recNavigController->jumpForward();
}

void RecorderAppDelegate::jumpBackward()
{
    m_recNavigController->jumpBackward();
}

void RecorderAppDelegate::updateButtonsState()
{
    updatePlayBtnState();
    updateRecBtnState();
    updateContinueRecBtnState();
    MainView* v = m_mainView;
    const bool rec = isRecording();
    const RecItem* current = m_recNavigController->currentFile();
    const bool hasMarks = current && !current->marks().empty();
    v->jumpForward->setEnabled(current && !rec);
    v->jumpBackward->setEnabled(current && !rec);
    v->addCategoryBtn->setEnabled(!rec);
    v->deleteBtn->setEnabled(m_outlineController->chiefSelectedItem() && !rec);
    v->addMarkBtn->setEnabled(current);
    v->removeMarkBtn->setEnabled(current && m_recNavigController->selectedMarkID() >= 0);
    v->splitBtn->setEnabled(hasMarks && !rec);
    v->prefsBtn->setEnabled(!rec);
}

void RecorderAppDelegate::updatePlayBtnState()
{
    ToolbarButton* b = m_mainView->playBtn;
    const bool playing = m_recNavigController->playingNow();
    b->setImage(Images::pixmap(playing ? "stop_playing.png" : "play.png"));
    b->setAlternateImage(Images::pixmap(playing ? "stop_playing_pressed.png" : "play_pressed.png"));
    b->setToolTip(playing ? tr("Stop") : tr("Play"));
    b->setEnabled(m_recNavigController->currentFile() && !isRecording());
}

void RecorderAppDelegate::updateRecBtnState()
{
    ToolbarButton* b = m_mainView->recordBtn;
    const bool rec = isRecording();
    const bool stop = rec && !m_recordResuming;
    b->setImage(Images::pixmap(stop ? "stop.png" : "record.png"));
    b->setAlternateImage(Images::pixmap(stop ? "stop_pressed.png" : "record_pressed.png"));
    b->setToolTip(stop ? tr("Stop Recording (Cmd+Shift+R)")
                       : tr("Start a New Recording (Cmd+Shift+R)"));
    b->setEnabled(!rec || !m_recordResuming);
}

void RecorderAppDelegate::updateContinueRecBtnState()
{
    ToolbarButton* b = m_mainView->continueBtn;
    const bool rec = isRecording();
    const bool stop = rec && m_recordResuming;
    b->setImage(Images::pixmap(stop ? "stop_continue.png" : "record_continue.png"));
    b->setAlternateImage(
        Images::pixmap(stop ? "stop_continue_pressed.png" : "record_continue_pressed.png"));
    b->setToolTip(stop ? tr("Stop Recording (Cmd+Shift+C)")
                       : tr("Continue Recording (Cmd+Shift+C)"));
    b->setEnabled((!rec && m_recNavigController->currentFile()) || stop);
}
