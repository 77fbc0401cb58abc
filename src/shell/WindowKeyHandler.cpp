// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowKeyHandler.h"

#include "outline/OutlineKeyHandler.h"
#include "outline/RecOutlineController.h"
#include "outline/RecOutlineView.h"
#include "playback/SliderWithNotes.h"
#include "shell/CustomView.h"
#include "shell/MainView.h"
#include "shell/PageContainer.h"
#include "shell/UndoBar.h"
#include "shell/WindowController.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

WindowKeyHandler::WindowKeyHandler(WindowController* app) : m_app(app)
{
    MainView* view = app->mainView();
    chainFocus();
    // Keys the focused control does not use come up to the pages' container.
    app->backView()->installEventFilter(this);

    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), view);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, [view] {
        view->searchField()->setFocus(Qt::ShortcutFocusReason);
        view->searchField()->selectAll();
    });
    auto* mark = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), view);
    mark->setContext(Qt::WidgetWithChildrenShortcut);
    connect(mark, &QShortcut::activated, this, [this, view] {
        if (view->addMarkBtn->isEnabled())
            m_app->addNote();
    });
    auto* exportCopies = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), view);
    exportCopies->setContext(Qt::WidgetWithChildrenShortcut);
    connect(exportCopies, &QShortcut::activated, this, [this] { m_app->exportSelected(); });
    auto* undo = new QShortcut(QKeySequence::Undo, view);
    undo->setContext(Qt::WidgetWithChildrenShortcut);
    connect(undo, &QShortcut::activated, this, [this] { m_app->undoDelete(); });
    connect(app->outlineController()->keyHandler(), &OutlineKeyHandler::deleteRequested, this,
            [this, view] {
                if (view->deleteBtn->isEnabled())
                    m_app->removeSelected();
            });
}

void WindowKeyHandler::chainFocus()
{
    MainView* v = m_app->mainView();
    QWidget* const order[] = {
        v->recordBtn,     v->continueBtn,   v->addCategoryBtn,  v->deleteBtn,
        v->splitBtn,      v->showDescrBtn,  v->prefsBtn,        v->searchField(),
        v->outlineView(), v->jumpBackward,  v->playBtn,         v->jumpForward,
        v->addMarkBtn,    v->removeMarkBtn, m_app->recSlider(), v->undoBar()->undoButton()};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool WindowKeyHandler::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_app->backView() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_Escape && escape())
                return true;
            if (key->key() == Qt::Key_Space && space())
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool WindowKeyHandler::escape()
{
    QLineEdit* search = m_app->mainView()->searchField();
    if (search->hasFocus() && !search->text().isEmpty()) {
        search->clear();
        m_app->mainView()->outlineView()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    // As a click on the tray icon; the plain window stays, being the program.
    AttachedWindow* popUp = m_app->window();
    if (!popUp || !popUp->isVisible() || !m_app->statusView())
        return false;
    m_app->statusView()->hideWindow();
    return true;
}

bool WindowKeyHandler::space()
{
    // The preferences page has its own uses for Space.
    if (m_app->backView()->currentView() != m_app->mainView())
        return false;
    if (m_app->mainView()->playBtn->isEnabled())
        m_app->play();
    return true;
}
