// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/RateController.h"

#include <QDesktopServices>
#include <QDialog>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Receives the store links the controller opens.
class StoreHandler : public QObject
{
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls.append(url); }

public:
    QList<QUrl> urls;
};

class RateOffer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().clear();
        QDesktopServices::setUrlHandler(QStringLiteral("appstream"), &store, "open");
        controller.setClock([this] { return now; });
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("appstream")); }
    // Runs the offer; while the panel shows, `answer` is done to it.
    bool offer(std::function<void()> answer)
    {
        bool shown = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (controller.ratePanel()->isVisible()) {
                shown = true;
                answer();
            }
        });
        timer.start();
        controller.offerRateApp();
        return shown;
    }

    StoreHandler store;
    RateController controller;
    double now = 1'800'000'000.0;
};

} // namespace

TEST_F(RateOffer, FirstLaunchOnlyRecordsTheDate)
{
    EXPECT_FALSE(offer([] {}));
    EXPECT_EQ(QSettings().value(QStringLiteral("FSD")).toDouble(), now);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("ASO")));
}

TEST_F(RateOffer, ShownOnceAfterMoreThanThreeDaysClosingCountsAsDeclining)
{
    const double first = now;
    QSettings().setValue(QStringLiteral("FSD"), first);

    now = first + 259200;
    EXPECT_FALSE(offer([] {}));
    EXPECT_FALSE(QSettings().value(QStringLiteral("ASO")).toBool());

    now = first + 259201;
    EXPECT_TRUE(offer([this] { controller.ratePanel()->close(); }));
    EXPECT_TRUE(QSettings().value(QStringLiteral("ASO")).toBool());
    EXPECT_TRUE(store.urls.isEmpty());
    EXPECT_EQ(QSettings().value(QStringLiteral("FSD")).toDouble(), first);
    // Never again.
    now = first + 10 * 259200;
    EXPECT_FALSE(offer([this] { controller.ratePanel()->close(); }));
}

TEST_F(RateOffer, RateButtonOpensTheStorePage)
{
    QSettings().setValue(QStringLiteral("FSD"), now - 400000);
    EXPECT_TRUE(controller.rateBtn()->isDefault());
    EXPECT_TRUE(offer([this] { controller.rateBtn()->click(); }));
    ASSERT_EQ(store.urls.size(), 1);
    EXPECT_EQ(store.urls[0], QUrl(QStringLiteral("appstream://io.github.voicetray.VoiceTray")));
    EXPECT_TRUE(QSettings().value(QStringLiteral("ASO")).toBool());
    EXPECT_FALSE(controller.ratePanel()->isVisible());
}

#include "RateControllerTest.moc"
