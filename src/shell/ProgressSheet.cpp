// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ProgressSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

ProgressSheet::ProgressSheet(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_progressBar(new QProgressBar(this)),
      m_progressTitle(new QLabel(this)), m_cancel(new QPushButton(tr("Cancel"), this))
{
    setWindowModality(Qt::WindowModal);
    setFixedSize(260, 64);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(m_progressTitle);
    auto* bar = new QHBoxLayout;
    bar->addWidget(m_progressBar, 1);
    bar->addWidget(m_cancel);
    layout->addLayout(bar);
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &ProgressSheet::cancelRequested);
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    // The title names the bar for screen readers.
    m_progressTitle->setBuddy(m_progressBar);
}

void ProgressSheet::beginSheet(QWidget* window)
{
    m_shown = true;
    m_host = window;
    if (!window || !window->isVisible())
        return;
    winId();
    if (QWindow* handle = windowHandle())
        handle->setTransientParent(window->window()->windowHandle());
    const QRect host = window->window()->frameGeometry();
    move(host.x() + (host.width() - width()) / 2, host.y() + 16);
    show();
}

void ProgressSheet::endSheet()
{
    m_shown = false;
    m_host = nullptr;
    setCancelable(false);
    hide();
}

void ProgressSheet::setProgress(double value)
{
    m_progressBar->setValue(static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0))));
    if (isVisible())
        m_progressBar->repaint();
}

void ProgressSheet::setCancelable(bool cancelable)
{
    m_cancel->setVisible(cancelable);
    setFixedSize(cancelable ? 340 : 260, 64);
}
