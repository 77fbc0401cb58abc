// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainView.h"

#include "outline/RecOutlineView.h"
#include "outline/SearchBackView.h"
#include "shell/BottomPanel.h"
#include "shell/UndoBar.h"
#include "widgets/Images.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QHBoxLayout* rowIn(BottomPanel* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(BottomPanel::kCapWidth, 3, BottomPanel::kCapWidth, 3);
    row->setSpacing(4);
    return row;
}

} // namespace

ToolbarButton* MainView::button(const QString& name, const QString& toolTip, QHBoxLayout* row)
{
    auto* b = new ToolbarButton(Images::pixmap(name + ".png"), this);
    b->setAlternateImage(Images::pixmap(name + "_pressed.png"));
    b->setToolTip(toolTip);
    row->addWidget(b);
    return b;
}

MainView::MainView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    auto* top = new BottomPanel(this);
    QHBoxLayout* topRow = rowIn(top);
    recordBtn = button("record", tr("Start a New Recording (Super+Shift+R)"), topRow);
    continueBtn = button("record_continue", tr("Continue Recording (Super+Shift+C)"), topRow);
    topRow->addStretch();
    addCategoryBtn = button("add_category", tr("Add Category"), topRow);
    deleteBtn = button("delete", tr("Delete"), topRow);
    splitBtn = button("split", tr("Split at Marks"), topRow);
    topRow->addStretch();
    showDescrBtn = new SwitchToolbarBtn(this);
    showDescrBtn->setImage(Images::pixmap("editor.png"));
    showDescrBtn->setAlternateImage(Images::pixmap("editor_on.png"));
    showDescrBtn->setToolTip(tr("Show Recordings Editor"));
    // Named for what it switches; its tool tip says which way.
    showDescrBtn->setAccessibleName(tr("Recordings Editor"));
    topRow->addWidget(showDescrBtn);
    prefsBtn = button("preferences", tr("Preferences"), topRow);
    column->addWidget(top);

    auto* searchBack = new SearchBackView(this);
    auto* searchRow = new QHBoxLayout(searchBack);
    searchRow->setContentsMargins(6, 0, 6, 0);
    m_searchField = new QLineEdit(searchBack);
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setAccessibleName(tr("Search"));
    m_searchField->setClearButtonEnabled(true);
    searchRow->addWidget(m_searchField);
    column->addWidget(searchBack);

    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    // The outline inside takes the focus itself.
    m_scrollView->setFocusPolicy(Qt::NoFocus);
    m_outlineView = new RecOutlineView;
    column->addWidget(m_scrollView, 1);

    m_navigatorArea = new QVBoxLayout;
    m_navigatorArea->setContentsMargins(10, 0, 10, 0);
    column->addLayout(m_navigatorArea);

    auto* bottom = new BottomPanel(this);
    QHBoxLayout* bottomRow = rowIn(bottom);
    jumpBackward = button("play_left", tr("Jump Backward 30 Seconds"), bottomRow);
    playBtn = button("play", tr("Play"), bottomRow);
    jumpForward = button("play_right", tr("Jump Forward 30 Seconds"), bottomRow);
    m_clockArea = new QHBoxLayout;
    bottomRow->addLayout(m_clockArea, 1);
    addMarkBtn = button("add_marker", tr("Add Mark"), bottomRow);
    removeMarkBtn = button("delete_marker", tr("Remove Mark"), bottomRow);
    column->addWidget(bottom);

    m_undoBar = new UndoBar(this);
    column->addWidget(m_undoBar);
}
