// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"

#include "outline/RecOutlineView.h"

#include <QScrollArea>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this)), m_scrollView(new QScrollArea(this)),
      m_outlineView(new RecOutlineView)
{
    setWindowTitle("VoiceTray");
    resize(360, 480);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(m_scrollView);
}
