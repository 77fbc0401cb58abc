// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The on/off image button of the toolbar: it shows its image while off and
// its alternate image while on (and the other one while pressed). A click
// flips the state, then emits clicked(on); so do Space and Return once Tab
// has given it the focus. Main thread only.
class SwitchToolbarBtn : public QAbstractButton
{
    Q_OBJECT
public:
    explicit SwitchToolbarBtn(QWidget* parent = nullptr);

    void setImage(const QPixmap& image);
    void setAlternateImage(const QPixmap& image);
    QPixmap image() const { return m_image; }
    QPixmap alternateImage() const { return m_alternateImage; }
    // The picture shown now.
    QPixmap shownImage() const;

    // The on/off state, without emitting clicked.
    bool state() const { return isChecked(); }
    void setState(bool on) { setChecked(on); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_image;
    QPixmap m_alternateImage;
};
