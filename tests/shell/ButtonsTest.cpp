// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DarkTheme.h"
#include "shell/PageContainer.h"
#include "support/Wait.h"
#include "widgets/Images.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

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
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    button.setDisabledImage(playDisabled);
    button.setEnabled(false);
    EXPECT_TRUE(sameImage(button.shownImage(), playDisabled));
    click(&button);
    EXPECT_EQ(clicks, 0);
    // The widget itself stays enabled, so its tool tip still shows.
    EXPECT_TRUE(button.QWidget::isEnabled());
    // A new image while disabled waits for the button to be enabled.
    button.setImage(stop);
    EXPECT_TRUE(sameImage(button.shownImage(), playDisabled));
    button.setEnabled(true);
    EXPECT_TRUE(sameImage(button.shownImage(), stop));
    click(&button);
    EXPECT_EQ(clicks, 1);
    // Held down, it shows its pressed image.
    button.setAlternateImage(Images::pixmap(QStringLiteral("record_pressed.png"), 1.0));
    const QImage normal = grab(button);
    button.setDown(true);
    EXPECT_NE(grab(button), normal);
}

TEST(SwitchToolbarBtn, ClickFlipsTheStateAndTheImage)
{
    SwitchToolbarBtn button;
    button.resize(button.sizeHint());
    QList<bool> clicks;
    QObject::connect(&button, &QAbstractButton::clicked, [&](bool on) { clicks.append(on); });
    click(&button);
    EXPECT_EQ(clicks, QList<bool>{true});
    EXPECT_TRUE(button.state());
    EXPECT_TRUE(sameImage(button.shownImage(), button.alternateImage()));
    button.setState(false);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(sameImage(button.shownImage(), button.image()));
}

TEST(PageContainer, PushSlidesTheNewPageIn)
{
    PageContainer container;
    container.resize(200, 100);
    auto* main = new QWidget;
    auto* prefs = new QWidget;
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
    EXPECT_EQ(prefs->pos(), QPoint(-200, 0));
}

TEST(DarkTheme, DarkensAWindow)
{
    QWidget window;
    window.setAutoFillBackground(true);
    window.resize(40, 40);
    DarkTheme::apply(&window);
    EXPECT_LT(grab(window).pixelColor(20, 20).value(), 60);
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
    }
    EXPECT_TRUE(Images::image(QStringLiteral("no_such_image.png")).isNull());
}
