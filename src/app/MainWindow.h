// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class RecOutlineView;
class SearchBackView;

// The window that shows the library outline.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    RecOutlineView* outlineView() const { return m_outlineView; }
    QScrollArea* scrollView() const { return m_scrollView; }
    // The search field over the outline, on its translucent strip.
    QLineEdit* searchField() const { return m_searchField; }
    QVBoxLayout* layout() const { return m_layout; }

private:
    QVBoxLayout* m_layout;
    SearchBackView* m_searchBack;
    QLineEdit* m_searchField;
    QScrollArea* m_scrollView;
    RecOutlineView* m_outlineView;
};
