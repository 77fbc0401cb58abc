// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DarkTheme.h"

#include <QApplication>
#include <QStyleFactory>
#include <QWidget>

QPalette DarkTheme::palette()
{
    const QColor window(0x1c, 0x1c, 0x1e);
    const QColor base(0x14, 0x14, 0x15);
    const QColor text(0xec, 0xec, 0xec);
    const QColor dimmed(0x7a, 0x7a, 0x7e);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(0x22, 0x22, 0x24));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, accent());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, dimmed);
    palette.setColor(QPalette::Link, accent().lighter(120));
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4e));
    palette.setColor(QPalette::Midlight, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2c));
    palette.setColor(QPalette::Dark, QColor(0x10, 0x10, 0x11));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, dimmed);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x44, 0x44, 0x48));
    return palette;
}

QString DarkTheme::styleSheet()
{
    return QStringLiteral(R"(
QToolTip {
    color: #ececec; background-color: #1c1c1e;
    border: 1px solid rgba(255, 255, 255, 0.14); border-radius: 4px; padding: 3px 6px;
}
QAbstractScrollArea, QAbstractScrollArea > QWidget#qt_scrollarea_viewport { background: transparent; }

QPushButton {
    color: #ececec; padding: 4px 14px; min-height: 16px;
    border: 1px solid rgba(0, 0, 0, 0.55); border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4c4c50, stop:1 #38383c);
}
QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #56565a, stop:1 #404044); }
QPushButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2c2c30, stop:1 #343438); }
QPushButton:default {
    color: white; border: 1px solid #1f5fc4;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5aa0ff, stop:1 #2f7bef);
}
QPushButton:default:pressed { background: #2a6bd1; }
QPushButton:disabled { color: #7a7a7e; background: #2e2e32; border-color: rgba(0, 0, 0, 0.35); }
QPushButton:focus { border: 1px solid #9ec5ff; }

QCheckBox { color: #ececec; spacing: 7px; }
QCheckBox:disabled { color: #7a7a7e; }
QCheckBox::indicator {
    width: 14px; height: 14px; border-radius: 4px;
    border: 1px solid rgba(255, 255, 255, 0.30);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgba(255,255,255,0.10), stop:1 rgba(255,255,255,0.04));
}
QCheckBox::indicator:hover { border-color: rgba(255, 255, 255, 0.50); }
QCheckBox::indicator:focus { border-color: #3d8bff; }
QCheckBox::indicator:checked {
    border: 1px solid #1f5fc4; image: url(:/images/check.png);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5aa0ff, stop:1 #2f7bef);
}
QCheckBox::indicator:disabled { border-color: rgba(255, 255, 255, 0.12); background: rgba(255, 255, 255, 0.03); }
QCheckBox::indicator:checked:disabled { background: #44444a; }

QSlider { min-height: 18px; }
QSlider::groove:horizontal {
    height: 4px; border-radius: 2px; background: rgba(255, 255, 255, 0.16);
    border: 1px solid rgba(0, 0, 0, 0.45);
}
QSlider::sub-page:horizontal {
    border-radius: 2px; border: 1px solid rgba(0, 0, 0, 0.45);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5aa0ff, stop:1 #2f7bef);
}
QSlider::handle:horizontal {
    width: 14px; height: 14px; margin: -6px 0; border-radius: 7px;
    border: 1px solid rgba(0, 0, 0, 0.6);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafafa, stop:1 #c8c8cc);
}
QSlider::handle:horizontal:focus { border: 2px solid #3d8bff; }
QSlider::handle:horizontal:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e0e0e4, stop:1 #b0b0b6); }
QSlider::sub-page:horizontal:disabled { background: #4a4a4e; }
QSlider::handle:horizontal:disabled { background: #6a6a6e; }

QScrollBar:vertical { width: 10px; margin: 2px 1px; background: transparent; }
QScrollBar:horizontal { height: 10px; margin: 1px 2px; background: transparent; }
QScrollBar::handle { background: rgba(255, 255, 255, 0.24); border-radius: 4px; }
QScrollBar::handle:hover { background: rgba(255, 255, 255, 0.38); }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; background: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }

QLineEdit, QTextEdit, QPlainTextEdit {
    color: #ececec; background: rgba(0, 0, 0, 0.38); selection-background-color: #3d8bff;
    border: 1px solid rgba(255, 255, 255, 0.12); border-radius: 5px; padding: 2px 4px;
}
QLineEdit:focus, QTextEdit:focus, QPlainTextEdit:focus { border-color: #3d8bff; }

QComboBox {
    color: #ececec; padding: 3px 24px 3px 8px; border-radius: 6px;
    border: 1px solid rgba(0, 0, 0, 0.55);
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4c4c50, stop:1 #38383c);
}
QComboBox:focus { border-color: #3d8bff; }
QComboBox::drop-down { border: none; width: 20px; }
QComboBox::down-arrow { image: url(:/images/arrow_down.png); width: 10px; height: 6px; }
QComboBox QAbstractItemView {
    color: #ececec; background: #232325; border: 1px solid rgba(255, 255, 255, 0.12);
    selection-background-color: #3d8bff; outline: none;
}

QProgressBar {
    color: #ececec; text-align: center; height: 8px; border-radius: 4px;
    background: rgba(255, 255, 255, 0.12); border: 1px solid rgba(0, 0, 0, 0.45);
}
QProgressBar::chunk { border-radius: 3px; background: #3d8bff; }

QMenu { color: #ececec; background: #232325; border: 1px solid rgba(255, 255, 255, 0.12); padding: 4px; }
QMenu::item { padding: 4px 18px; border-radius: 4px; }
QMenu::item:selected { background: #3d8bff; color: white; }
QMenu::item:disabled { color: #7a7a7e; }
QMenu::separator { height: 1px; background: rgba(255, 255, 255, 0.12); margin: 4px 6px; }
)");
}

void DarkTheme::apply(QWidget* root)
{
    if (!root)
        return;
    root->setPalette(palette());
    root->setStyleSheet(styleSheet());
}

void DarkTheme::applyToApplication()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(palette());
    app->setStyleSheet(styleSheet());
}
