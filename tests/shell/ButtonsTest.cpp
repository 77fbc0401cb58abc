// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/BottomPanel.h"
#include "shell/DarkTheme.h"
#include "shell/Images.h"
#include "shell/PageContainer.h"
#include "shell/SwitchToolbarBtn.h"
#include "shell/ToolbarButton.h"
#include "support/Wait.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

void click(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = QPointF(widget->mapToGlobal(at.toPoint()));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

bool sameImage(const QPixmap& a, const QPixmap& b)
{
    return a.toImage() == b.toImage();
}

QImage grab(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(ToolbarButton, DisabledShowsItsOwnImageAndIgnoresClicks)
{
    const QPixmap play = Images::pixmap(QStringLiteral("play.png"), 1.0);
    const QPixmap playDisabled = Images::pixmap(QStringLiteral("play_disabled.png"), 1.0);
    const QPixmap stop = Images::pixmap(QStringLiteral("stop_playing.png"), 1.0);
    ToolbarButton button(play);
    button.resize(button.sizeHint());
    EXPECT_EQ(button.size(), QSize(26, 26));
    QList<bool> clicks;
    QObject::connect(&button, &QAbstractButton::clicked, [&](bool on) { clicks.append(on); });
    // Without a disabled image the shown one stays.
    button.setEnabled(false);
    EXPECT_TRUE(sameImage(button.shownImage(), play));
    button.setDisabledImage(playDisabled);
    EXPECT_TRUE(sameImage(button.shownImage(), play));
    button.setEnabled(false);
    EXPECT_TRUE(sameImage(button.shownImage(), playDisabled));
    click(&button);
    EXPECT_EQ(clicks.count(), 0);
    // The widget itself stays enabled, so its tool tip still shows.
    EXPECT_TRUE(button.QWidget::isEnabled());
    // A new image while disabled waits for the button to be enabled.
    button.setImage(stop);
    EXPECT_TRUE(sameImage(button.shownImage(), playDisabled));
    button.setEnabled(true);
    EXPECT_TRUE(sameImage(button.shownImage(), stop));
    click(&button);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ToolbarButton, PressedImageWhileHeldDown)
{
    ToolbarButton button(Images::pixmap(QStringLiteral("record.png"), 1.0));
    button.resize(26, 26);
    button.setAlternateImage(Images::pixmap(QStringLiteral("record_pressed.png"), 1.0));
    const QImage normal = grab(button);
    button.setDown(true);
    const QImage pressed = grab(button);
    EXPECT_NE(normal, pressed);
    EXPECT_EQ(pressed, Images::image(QStringLiteral("record_pressed.png"), 1.0)
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(SwitchToolbarBtn, ClickFlipsTheStateAndTheImage)
{
    SwitchToolbarBtn button;
    button.resize(button.sizeHint());
    QList<bool> clicks;
    QObject::connect(&button, &QAbstractButton::clicked, [&](bool on) { clicks.append(on); });
    EXPECT_FALSE(button.state());
    EXPECT_TRUE(sameImage(button.shownImage(), button.image()));
    click(&button);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_TRUE(clicks.at(0));
    EXPECT_TRUE(button.state());
    EXPECT_TRUE(sameImage(button.shownImage(), button.alternateImage()));
    button.setState(false);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(sameImage(button.shownImage(), button.image()));
}

TEST(BottomPanel, CapsAndRepeatedMiddle)
{
    // Rendering at 1x so that pixels compare with the images directly.
    const QImage left = Images::image(QStringLiteral("corner_left.png"), 1.0)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = Images::image(QStringLiteral("corner_right.png"), 1.0)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage middle = Images::image(QStringLiteral("panel.png"), 1.0)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(left.width(), 8);
    ASSERT_EQ(middle.width(), 1);

    BottomPanel panel;
    panel.resize(40, panel.sizeHint().height());
    EXPECT_EQ(panel.height(), middle.height());
    QImage image = grab(panel);
    EXPECT_EQ(image.copy(0, 0, 8, image.height()), left);
    EXPECT_EQ(image.copy(32, 0, 8, image.height()), right);
    for (int x = 8; x < 32; ++x)
        EXPECT_EQ(image.copy(x, 0, 1, image.height()), middle) << x;
    // Sixteen points or fewer: only the caps.
    panel.resize(16, panel.height());
    image = grab(panel);
    EXPECT_EQ(image.copy(0, 0, 8, image.height()), left);
    EXPECT_EQ(image.copy(8, 0, 8, image.height()), right);
}

TEST(PageContainer, PushSlidesTheNewPageIn)
{
    PageContainer container;
    container.resize(200, 100);
    auto* main = new QWidget;
    auto* prefs = new QWidget;
    container.setCurrentView(main);
    EXPECT_EQ(container.currentView(), main);
    EXPECT_EQ(main->geometry(), QRect(0, 0, 200, 100));
    // Hidden: the switch is immediate.
    container.setCurrentView(prefs);
    EXPECT_FALSE(container.isSliding());
    EXPECT_FALSE(main->isVisibleTo(&container));
    container.setCurrentView(main);

    container.show();
    container.setDuration(120);
    container.setDirection(PageContainer::Direction::FromRight);
    container.setCurrentView(prefs);
    ASSERT_TRUE(container.isSliding());
    EXPECT_EQ(prefs->pos(), QPoint(200, 0));
    EXPECT_TRUE(waitUntil([&] { return !container.isSliding(); }));
    EXPECT_EQ(prefs->geometry(), QRect(0, 0, 200, 100));
    EXPECT_FALSE(main->isVisible());
    // Back from the left; a second switch during the slide finishes the first.
    container.setDirection(PageContainer::Direction::FromLeft);
    container.setCurrentView(main);
    EXPECT_EQ(main->pos(), QPoint(-200, 0));
    container.setCurrentView(prefs);
    EXPECT_EQ(container.currentView(), prefs);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(prefs->pos(), QPoint(-200, 0));
}

TEST(DarkTheme, DarkensAWindowAndStylesItsControls)
{
    QWidget window;
    window.setAutoFillBackground(true);
    window.resize(40, 40);
    DarkTheme::apply(&window);
    EXPECT_LT(grab(window).pixelColor(20, 20).value(), 60);
    EXPECT_EQ(window.styleSheet(), DarkTheme::styleSheet());
}

TEST(Images, EveryEmbeddedImageAtBothScales)
{
    const QStringList names = QDir(QStringLiteral(":/images"))
                                  .entryList({"*.png"})
                                  .filter(QRegularExpression(QStringLiteral("^[^@]*$")));
    ASSERT_GT(names.size(), 50);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage normal = Images::image(name, 1.0);
        const QImage sharp = Images::image(name, 2.0);
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(sharp.size(), normal.size() * 2);
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
        bool drawn = false;
        for (int y = 0; y < normal.height() && !drawn; ++y)
            for (int x = 0; x < normal.width() && !drawn; ++x)
                drawn = normal.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(drawn);
    }
    EXPECT_TRUE(Images::image(QStringLiteral("no_such_image.png")).isNull());
}
