// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class BottomPanel;
class QHBoxLayout;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class RecOutlineView;
class SwitchToolbarBtn;
class ToolbarButton;
class UndoBar;

// The main page of the pop-up window: the toolbar, the outline of the
// library, the playback area with its marks and the clock.
class MainView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 540;

    explicit MainView(QWidget* parent = nullptr);

    RecOutlineView* outlineView() const { return m_outlineView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    // The search field over the outline.
    QLineEdit* searchField() const { return m_searchField; }
    // Where the marks strip with its slider goes.
    QVBoxLayout* navigatorArea() const { return m_navigatorArea; }
    // Where the clock goes, between the playback and the mark buttons.
    QHBoxLayout* clockArea() const { return m_clockArea; }
    // What a delete moved to the Trash, with its Undo button, while it is fresh.
    UndoBar* undoBar() const { return m_undoBar; }

    ToolbarButton* recordBtn;
    ToolbarButton* continueBtn;
    ToolbarButton* addCategoryBtn;
    ToolbarButton* deleteBtn;
    ToolbarButton* splitBtn;
    SwitchToolbarBtn* showDescrBtn;
    ToolbarButton* prefsBtn;
    ToolbarButton* jumpBackward;
    ToolbarButton* playBtn;
    ToolbarButton* jumpForward;
    ToolbarButton* addMarkBtn;
    ToolbarButton* removeMarkBtn;

private:
    ToolbarButton* button(const QString& name, const QString& toolTip, QHBoxLayout* row);

    QLineEdit* m_searchField;
    QScrollArea* m_scrollView;
    RecOutlineView* m_outlineView;
    QVBoxLayout* m_navigatorArea;
    QHBoxLayout* m_clockArea;
    UndoBar* m_undoBar;
};
