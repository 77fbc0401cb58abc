// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QPixmap>

// An image button of the toolbar. While disabled it shows its own disabled
// picture instead of a dimmed one and ignores clicks; its enabled state is its
// own, so the button stays able to show a tool tip. Tab gives an enabled
// button the focus; Space and Return then press it. Main thread only.
class ToolbarButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToolbarButton(QWidget* parent = nullptr);
    ToolbarButton(const QPixmap& image, QWidget* parent = nullptr);

    // Kept for the next setEnabled(false); what is shown does not change now.
    void setDisabledImage(const QPixmap& image);
    // Shown at once while enabled, else kept for the next setEnabled(true).
    void setImage(const QPixmap& image);
    // Shown while the button is pressed.
    void setAlternateImage(const QPixmap& image);
    // The button's own state; a null image for the new state leaves the shown
    // one as it was. Hides QWidget::setEnabled on purpose: the widget itself
    // stays enabled.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_isEnabled; }

    QPixmap image() const { return m_enabled; }
    QPixmap alternateImage() const { return m_alternate; }
    // The picture the button shows when not pressed.
    QPixmap shownImage() const { return m_shown; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_disabled;
    QPixmap m_enabled;
    bool m_isEnabled = true;
    QPixmap m_shown;
    QPixmap m_alternate;
};
