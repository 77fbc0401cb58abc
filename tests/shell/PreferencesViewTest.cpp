// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PreferencesView.h"

#include "shell/FloatSlider.h"
#include "shell/PreferencesDelegate.h"
#include "shell/ThresholdIndicator.h"
#include "support/Wait.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>

namespace {

// Stands in for the application controller, with the one rule of the engine
// that matters here: the format cannot change while a capture runs.
class TestController : public PreferencesDelegate
{
public:
    void setInputDevice(const QString& name) override { calls << "setInputDevice " + name; }
    void outputFolderChanged(const QString& path) override
    {
        calls << "outputFolderChanged " + path;
    }
    void setSkipSilence(bool skip) override
    {
        calls << QStringLiteral("setSkipSilence %1").arg(skip);
    }
    void setSoundThreshold(float threshold) override { thresholds << threshold; }
    void setUseHotKeys(bool use) override { calls << QStringLiteral("setUseHotKeys %1").arg(use); }
    void setRecQuality(int quality) override
    {
        if (capturing)
            messages << "Can't change output format when recording has already started.";
        calls << QStringLiteral("setRecQuality %1").arg(quality);
    }
    bool isRecording() const override { return recording; }
    void startPseudoRecord() override
    {
        capturing = true;
        calls << "startPseudoRecord";
    }
    void stopPseudoRecord() override
    {
        capturing = false;
        calls << "stopPseudoRecord";
    }
    float inputLevel() const override { return level; }

    QStringList take() { return std::exchange(calls, {}); }

    QStringList calls;
    QStringList messages;
    QList<float> thresholds;
    bool recording = false;
    bool capturing = false;
    float level = 0.0f;
};

bool isBarGreen(QRgb pixel)
{
    return qGreen(pixel) > 150 && qRed(pixel) < 130 && qBlue(pixel) < 130;
}

bool isMarkRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

void userPicks(QComboBox* popUp, int index)
{
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

class Preferences : public ::testing::Test
{
protected:
    void SetUp() override { view.setAppDelegate(&controller); }

    TestController controller;
    PreferencesView view;
};

} // namespace

TEST_F(Preferences, LevelMeterRunsWhileShownWithSkippingOn)
{

    // Skipping on while another page is shown starts nothing.
    view.setSkipSilence(true);
    EXPECT_EQ(controller.take(), QStringList({"setSkipSilence 1"}));
    EXPECT_TRUE(view.thresholdSlider()->isEnabled());
    EXPECT_FALSE(view.isLevelShown());

    view.setCurrent(true);
    EXPECT_EQ(controller.take(), QStringList({"startPseudoRecord"}));
    controller.level = 0.5f;
    ASSERT_TRUE(waitUntil([&] { return view.levelIndicator()->doubleValue() > 0.0; }));
    EXPECT_DOUBLE_EQ(view.levelIndicator()->doubleValue(), 15.0);
    // Back to the main page.
    view.setCurrent(false);
    EXPECT_EQ(controller.take(), QStringList({"stopPseudoRecord"}));
    EXPECT_FALSE(view.isLevelShown());
    EXPECT_EQ(view.levelIndicator()->doubleValue(), 0.0);
    // The user turns skipping off and on while the page is shown.
    view.setCurrent(true);
    controller.take();
    view.skipSilenceBtn()->click();
    EXPECT_EQ(controller.take(), QStringList({"setSkipSilence 0", "stopPseudoRecord"}));
    EXPECT_FALSE(view.thresholdSlider()->isEnabled());
    EXPECT_EQ(view.levelIndicator()->doubleValue(), 0.0);
    view.skipSilenceBtn()->click();
    EXPECT_EQ(controller.take(), QStringList({"setSkipSilence 1", "startPseudoRecord"}));
    // Shown again while already shown: still one capture.
    view.setCurrent(true);
    view.setCurrent(false);
    view.setCurrent(false);
    EXPECT_EQ(controller.take(), QStringList({"stopPseudoRecord"}));
    EXPECT_FALSE(controller.capturing);
}

TEST_F(Preferences, RealRecordingFeedsTheMeterWithoutPseudoCapture)
{
    view.setSkipSilence(true);
    controller.recording = true;
    controller.level = 0.2f;
    view.setCurrent(true);
    ASSERT_TRUE(waitUntil([&] { return view.levelIndicator()->doubleValue() > 0.0; }));
    EXPECT_NEAR(view.levelIndicator()->doubleValue(), 6.0, 1e-5);
    view.setCurrent(false);
    EXPECT_EQ(controller.take(), QStringList({"setSkipSilence 1"}));
    // A recording started by hot key while the meter ran takes the capture
    // over; once it is done, showing the page again starts a new one.
    controller.recording = false;
    view.setCurrent(true);
    controller.recording = true;
    view.setCurrent(false);
    controller.recording = false;
    view.setCurrent(true);
    EXPECT_EQ(controller.take(), QStringList({"startPseudoRecord", "startPseudoRecord"}));
}

TEST_F(Preferences, QualityIsClampedAndTheCaptureStopsAroundQualityAndDeviceChanges)
{
    view.setRecQuality(0);
    EXPECT_EQ(view.qualitySlider()->value(), 1);
    view.setRecQuality(7);
    EXPECT_EQ(view.qualitySlider()->value(), 3);
    EXPECT_EQ(controller.take(), QStringList({"setRecQuality 1", "setRecQuality 3"}));
    view.setRecQuality(2);
    view.setInputDevices({"Built-in Microphone", "USB Headset"});
    // A stored device that is not connected: no other device pretends to be it.
    view.selectDevice("usb headset");
    EXPECT_EQ(view.devicesPopUp()->currentIndex(), -1);
    view.setSkipSilence(true);
    view.setCurrent(true);
    controller.take();

    view.qualitySlider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(controller.take(),
              QStringList({"stopPseudoRecord", "setRecQuality 3", "startPseudoRecord"}));
    view.setRecQuality(1);
    EXPECT_EQ(controller.take(),
              QStringList({"stopPseudoRecord", "setRecQuality 1", "startPseudoRecord"}));
    EXPECT_TRUE(controller.messages.isEmpty());
    EXPECT_TRUE(view.isLevelShown());
    // Another device ends the capture; the meter starts again on it.
    userPicks(view.devicesPopUp(), 1);
    EXPECT_EQ(controller.take(),
              QStringList({"stopPseudoRecord", "setInputDevice USB Headset", "startPseudoRecord"}));
    // Skipping off: the quality changes without touching the capture.
    view.skipSilenceBtn()->click();
    controller.take();
    view.setRecQuality(2);
    EXPECT_EQ(controller.take(), QStringList({"setRecQuality 2"}));
}

TEST_F(Preferences, OutputFolderPopUpAndChooser)
{
    QTemporaryDir root;
    const QString folder = root.filePath("Voice Recordings");
    const QString other = root.filePath("Elsewhere");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(other));

    QString answer;
    QStringList startedIn;
    bool openDuringChooser = false;
    view.setFolderChooser([&](QWidget*, const QString& start) {
        startedIn << start;
        openDuringChooser = view.inOpenDialog();
        return answer;
    });

    view.setOutputFolder(QString());
    EXPECT_EQ(view.outputPopUp()->count(), 0);
    view.setOutputFolder(folder);
    QComboBox* popUp = view.outputPopUp();
    ASSERT_EQ(popUp->count(), 3);
    EXPECT_EQ(popUp->itemText(0), "Voice Recordings");
    EXPECT_EQ(popUp->itemText(2), "Other...");
    EXPECT_TRUE(popUp->itemText(1).isEmpty());
    EXPECT_FALSE(popUp->itemIcon(0).isNull());
    // The folder's own item does nothing.
    userPicks(popUp, 0);
    EXPECT_TRUE(startedIn.isEmpty());
    // Cancelled: the old folder stays and nothing is sent.
    userPicks(popUp, 2);
    EXPECT_EQ(startedIn, QStringList({QDir::cleanPath(root.path())}));
    EXPECT_TRUE(openDuringChooser);
    EXPECT_FALSE(view.inOpenDialog());
    EXPECT_EQ(popUp->currentIndex(), 0);
    EXPECT_EQ(view.outputFolder(), folder);

    answer = other;
    userPicks(popUp, 2);
    EXPECT_EQ(view.outputFolder(), other);
    EXPECT_EQ(popUp->itemText(0), "Elsewhere");
    EXPECT_EQ(popUp->currentIndex(), 0);
    EXPECT_EQ(controller.take(), QStringList({"outputFolderChanged " + other}));
}

TEST(ThresholdIndicator, MarkStandsWhereTheLevelReachesTheThreshold)
{
    ThresholdIndicator meter;
    meter.resize(200, 12);
    EXPECT_FLOAT_EQ(meter.markFraction(), 0.15f);
    meter.setThreshold(0.4f);
    EXPECT_NEAR(meter.threshold(), 0.4f, 1e-6);
    EXPECT_EQ(meter.markX(), 120);
    // A level equal to the threshold fills the meter up to the mark.
    meter.setDoubleValue(0.4 * ThresholdIndicator::kLevelScale);
    const QImage image = meter.grab().toImage();
    const int y = image.height() / 2;
    EXPECT_TRUE(isMarkRed(image.pixel(120, y)));
    EXPECT_FALSE(isMarkRed(image.pixel(119, y)));
    EXPECT_FALSE(isMarkRed(image.pixel(121, y)));
    EXPECT_TRUE(isBarGreen(image.pixel(110, y)));
    EXPECT_FALSE(isBarGreen(image.pixel(130, y)));
    for (int row : {0, image.height() - 1})
        EXPECT_TRUE(isMarkRed(image.pixel(120, row)));
}

TEST_F(Preferences, ThresholdSliderMovesTheMarkAndKeepsTheStoredValue)
{
    view.setSkipSilence(true);
    // A value between two slider steps goes back to the controller unchanged.
    view.setSoundThreshold(0.4f);
    view.setSoundThreshold(0.2345f);
    ASSERT_EQ(controller.thresholds.size(), 2);
    EXPECT_EQ(controller.thresholds[0], 0.4f);
    EXPECT_EQ(controller.thresholds[1], 0.2345f);

    view.show();
    view.setSoundThreshold(0.4f);
    const ThresholdIndicator* meter = view.levelIndicator();
    EXPECT_NEAR(meter->markX(), int(meter->width() * 0.6), 1);
    // The user drags the handle to the end of the scale.
    view.thresholdSlider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_NEAR(controller.thresholds.last(), 20.0f / 30.0f, 1e-6);
    EXPECT_EQ(meter->markX(), meter->width() - 1);
}
