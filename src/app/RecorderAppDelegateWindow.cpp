// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up window: opening and closing it, its two pages and its buttons.
#include "app/MainView.h"
#include "app/RecorderAppDelegate.h"
#include "hotkeys/HotKeyCombination.h"
#include "library/FileFingerprint.h"
#include "library/RecItem.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "playback/TimeView.h"
#include "shell/CustomView.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "shell/PageContainer.h"
#include "shell/PreferencesView.h"
#include "widgets/AttachedSide.h"
#include "widgets/AttachedWindow.h"
#include "widgets/Images.h"
#include "widgets/Messages.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QGuiApplication>
#include <QScreen>

void RecorderAppDelegate::setPointerQuery(std::function<QPoint()> position,
                                          std::function<Qt::MouseButtons()> buttons)
{
    m_pointerPosition = std::move(position);
    m_mouseButtons = std::move(buttons);
}

void RecorderAppDelegate::showAttachedWindow(QPoint point, AttachedSide side)
{
    m_attachedWindow.reset();
    m_attachedWindow = AttachedWindow::create(m_backView.get(), point, side, 5.0);
    // Wholly inside the work area of the icon's screen, clear of the panels.
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        m_attachedWindow->fitInside(screen->availableGeometry());
    m_attachedWindow->show();
    m_attachedWindow->raise();
    m_attachedWindow->activateWindow();
    // The keys go to the outline first, not to the Record button.
    m_mainView->outlineView()->setFocus(Qt::ActiveWindowFocusReason);
}

void RecorderAppDelegate::toggleAttachedWindowAtPoint(QPoint point, AttachedSide side)
{
    if (m_attachedWindow && m_attachedWindow->isVisible()) {
        m_descrPanel->hide();
        m_attachedWindow->hide();
        switchToView(m_mainView.get());
        return;
    }
    // Made anew at each opening, so the window lands under the icon wherever
    // the tray is now, on the side where it fits.
    showAttachedWindow(point, side);
    if (m_mainView->showDescrBtn->state() && !m_descrPanel->isVisible()) {
        placeDescrPanel();
        m_descrPanel->show();
        m_attachedWindow->activateWindow();
    }
}

double RecorderAppDelegate::recordingTime() const
{
    return m_timeView->time();
}

QWidget* RecorderAppDelegate::mainWindow() const
{
    if (m_attachedWindow)
        return m_attachedWindow.get();
    return m_plainWindow.get();
}

void RecorderAppDelegate::placeDescrPanel()
{
    QWidget* window = mainWindow();
    const QRect frame = window->frameGeometry();
    // Its top level with the top of the window's body, below the arrow strip.
    int top = frame.top();
    if (window == m_attachedWindow.get())
        top += qRound(m_attachedWindow->viewFrame().top() - m_attachedWindow->viewMargin());
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    const QRect area = screen ? screen->availableGeometry() : frame;
    m_descrPanel->move(
        DescrPanel::besideWindow(frame, top, m_descrPanel->frameGeometry().size(), area));
}

void RecorderAppDelegate::showHideDescr(bool on)
{
    showDescrWnd(on);
    m_settings.setHideDescrWnd(!on);
}

void RecorderAppDelegate::showDescrWnd(bool show)
{
    if (!mainWindow())
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
    if (QWidget* window = mainWindow()) {
        window->raise();
        window->activateWindow();
    }
    m_settings.setHideDescrWnd(true);
}

GeneralRecItem* RecorderAppDelegate::chiefSelectedItem() const
{
    return m_outlineController->chiefSelectedItem();
}

void RecorderAppDelegate::switchToView(QWidget* view)
{
    if (view == m_prefView.get())
        m_backView->setDirection(PageContainer::Direction::FromRight);
    else if (view == m_mainView.get())
        m_backView->setDirection(PageContainer::Direction::FromLeft);
    else
        return;
    setCurrentView(view);
    m_prefView->setCurrent(view == m_prefView.get());
}

void RecorderAppDelegate::setCurrentView(QWidget* view)
{
    m_backView->setCurrentView(view);
    m_currentView = view;
}

void RecorderAppDelegate::showPrefs()
{
    switchToView(m_prefView.get());
}

void RecorderAppDelegate::showMainView()
{
    switchToView(m_mainView.get());
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
    // The window's body, on whichever side its arrow strip lies, is what counts.
    const qreal m = m_attachedWindow->viewMargin();
    if (m_attachedWindow->viewFrame().adjusted(-m, -m, m, m).contains(local))
        return;
    if (m_descrPanel->isVisible() &&
        m_descrPanel->rect().contains(m_descrPanel->mapFromGlobal(m_pointerPosition())))
        return;
    if (m_statusView && m_attachedWindow->isVisible())
        m_statusView->hideWindow();
}

void RecorderAppDelegate::setupButtons()
{
    MainView* v = m_mainView.get();
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
    // Taken at once, so that the file is known again if it is renamed before the next start.
    current->setFingerprint(FileFingerprint::of(restorePath(current)));
    structChanged();
    updateButtonsState();
}

void RecorderAppDelegate::play()
{
    if (m_recNavigController->playingNow())
        m_recNavigController->stop();
    else if (!m_recNavigController->play() && m_recNavigController->movie())
        showMessage(tr("Unable to play the recording"));
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
    MainView* v = m_mainView.get();
    const bool rec = isRecording();
    const RecItem* current = m_recNavigController->currentFile();
    const bool hasMarks = current && !current->marks().empty();
    const bool playable = current && !current->isFileMissing();
    v->jumpForward->setEnabled(playable && !rec);
    v->jumpBackward->setEnabled(playable && !rec);
    v->addCategoryBtn->setEnabled(!rec);
    v->deleteBtn->setEnabled(m_outlineController->chiefSelectedItem() && !rec);
    v->addMarkBtn->setEnabled(current);
    v->removeMarkBtn->setEnabled(current && m_recNavigController->selectedMarkID() >= 0);
    v->splitBtn->setEnabled(hasMarks && playable && !rec);
    v->prefsBtn->setEnabled(!rec);
}

void RecorderAppDelegate::updatePlayBtnState()
{
    ToolbarButton* b = m_mainView->playBtn;
    const bool playing = m_recNavigController->playingNow();
    b->setImage(Images::pixmap(playing ? "stop_playing.png" : "play.png"));
    b->setAlternateImage(Images::pixmap(playing ? "stop_playing_pressed.png" : "play_pressed.png"));
    b->setToolTip(playing ? tr("Stop") : tr("Play"));
    const RecItem* current = m_recNavigController->currentFile();
    b->setEnabled(current && !current->isFileMissing() && !isRecording());
}

void RecorderAppDelegate::updateRecBtnState()
{
    ToolbarButton* b = m_mainView->recordBtn;
    const bool rec = isRecording();
    const bool stop = rec && !m_recordResuming;
    b->setImage(Images::pixmap(stop ? "stop.png" : "record.png"));
    b->setAlternateImage(Images::pixmap(stop ? "stop_pressed.png" : "record_pressed.png"));
    const QString keys = HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Record));
    b->setToolTip(stop ? tr("Stop Recording (%1)").arg(keys)
                       : tr("Start a New Recording (%1)").arg(keys));
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
    const QString keys =
        HotKeyCombination::text(m_hotKeys.combination(AppHotKeys::Action::Continue));
    b->setToolTip(stop ? tr("Stop Recording (%1)").arg(keys)
                       : tr("Continue Recording (%1)").arg(keys));
    const RecItem* current = m_recNavigController->currentFile();
    b->setEnabled((!rec && current && !current->isFileMissing()) || stop);
}
