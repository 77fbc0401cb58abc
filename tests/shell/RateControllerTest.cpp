// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/RateController.h"

#include <QDialog>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class RateOffer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings().clear();
        controller.setClock([this] { return now; });
        // Stands in for the desktop: a software centre and a browser that
        // take their links or are missing.
        controller.setLinkOpener([this](const QUrl& url) {
            urls << url;
            return opens.contains(url.scheme());
        });
    }

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

    QStringList opens{QStringLiteral("appstream"), QStringLiteral("https")};
    QList<QUrl> urls;
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
    EXPECT_TRUE(urls.isEmpty());
    EXPECT_EQ(QSettings().value(QStringLiteral("FSD")).toDouble(), first);

    // Never again.
    now = first + 10 * 259200;
    EXPECT_FALSE(offer([this] { controller.ratePanel()->close(); }));
}

TEST_F(RateOffer, RatingOpensTheStoreElseTheHomePageAndOnlyAnOpenedLinkSpendsTheOffer)
{
    const QUrl store(QStringLiteral("appstream://io.github.voicetray.VoiceTray"));
    const QUrl home(QStringLiteral("https://github.com/voicetray/VoiceTray"));
    EXPECT_EQ(RateController::homePage(), home);
    EXPECT_TRUE(controller.rateBtn()->isDefault());
    const struct
    {
        QStringList opens;
        QList<QUrl> tried;
        bool spent;
    } cases[] = {
        {{"appstream", "https"}, {store}, true},
        {{"https"}, {store, home}, true},
        {{}, {store, home}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opens.join(' ').toStdString());
        QSettings().clear();
        QSettings().setValue(QStringLiteral("FSD"), now - 400000);
        opens = c.opens;
        urls.clear();
        EXPECT_TRUE(offer([this] { controller.rateBtn()->click(); }));
        EXPECT_EQ(urls, c.tried);
        EXPECT_EQ(QSettings().value(QStringLiteral("ASO")).toBool(), c.spent);
        EXPECT_FALSE(controller.ratePanel()->isVisible());
    }
}
