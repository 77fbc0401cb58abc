// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QScrollArea;
class QVBoxLayout;
class RecOutlineView;

// The window that shows the library outline.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    RecOutlineView* outlineView() const { return m_outlineView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    QVBoxLayout* layout() const { return m_layout; }

private:
    QVBoxLayout* m_layout;
    QScrollArea* m_scrollView;
    RecOutlineView* m_outlineView;
};
