// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"

#include "outline/RecOutlineView.h"
#include "outline/SearchBackView.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this)), m_searchBack(new SearchBackView(this)),
      m_searchField(new QLineEdit(m_searchBack)), m_scrollView(new QScrollArea(this)),
      m_outlineView(new RecOutlineView)
{
    setWindowTitle("VoiceTray");
    resize(360, 480);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    auto* searchLayout = new QHBoxLayout(m_searchBack);
    searchLayout->setContentsMargins(6, 4, 6, 4);
    m_searchField->setPlaceholderText("Search");
    m_searchField->setClearButtonEnabled(true);
    searchLayout->addWidget(m_searchField);
    m_layout->addWidget(m_searchBack);
    m_layout->addWidget(m_scrollView);
}
