// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "shell/DescrPanel.h"
#include "shell/DescrPanelController.h"
#include "shell/DescrPanelDelegate.h"
#include "shell/PreferencesDelegate.h"
#include "shell/PreferencesView.h"
#include "shell/RateController.h"
#include "shell/ThresholdIndicator.h"
#include "support/Wait.h"
#include "widgets/FloatSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

// Stands in for the window, with the one rule of the engine
// that matters here: the format cannot change while a capture runs.
class PrefsController : public PreferencesDelegate
{
public:
    void setInputDevice(const QString& name) override { calls << "setInputDevice " + name; }
    void outputFolderChanged(const QString& path) override { calls << "outputFolder " + path; }
    void setSkipSilence(bool skip) override { calls << QString("setSkipSilence %1").arg(skip); }
    void setSoundThreshold(float threshold) override { thresholds << threshold; }
    void setUseHotKeys(bool use) override { calls << QString("setUseHotKeys %1").arg(use); }
    void setRecQuality(int quality) override
    {
        if (capturing)
            messages << "Can't change output format when recording has already started.";
        calls << QString("setRecQuality %1").arg(quality);
    }
    void setPreRoll(int seconds) override { calls << QString("setPreRoll %1").arg(seconds); }
    bool isRecording() const override { return recording; }
    void startPseudoRecord() override { calls << "startPseudoRecord", capturing = true; }
    void stopPseudoRecord() override { calls << "stopPseudoRecord", capturing = false; }
    float inputLevel() const override { return level; }
    // The calls since the last time, joined.
    QString take() { return std::exchange(calls, {}).join(", "); }

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

    PrefsController controller;
    PreferencesView view;
};

} // namespace

TEST_F(Preferences, LevelMeterRunsWhileShownWithSkippingOn)
{
    // Skipping on while another page is shown starts nothing.
    view.setSkipSilence(true);
    EXPECT_EQ(controller.take(), "setSkipSilence 1");
    view.setCurrent(true);
    EXPECT_EQ(controller.take(), "startPseudoRecord");
    controller.level = 0.5f;
    ASSERT_TRUE(waitUntil([&] { return view.levelIndicator()->doubleValue() > 0.0; }));
    view.setCurrent(false);
    EXPECT_EQ(controller.take(), "stopPseudoRecord");
    EXPECT_EQ(view.levelIndicator()->doubleValue(), 0.0);
    // The user turns skipping off and on while the page is shown.
    view.setCurrent(true);
    controller.take();
    view.skipSilenceBtn()->click();
    EXPECT_EQ(controller.take(), "setSkipSilence 0, stopPseudoRecord");
    EXPECT_FALSE(view.thresholdSlider()->isEnabled());
    view.skipSilenceBtn()->click();
    EXPECT_EQ(controller.take(), "setSkipSilence 1, startPseudoRecord");
    view.setCurrent(false);
    // A real recording feeds the meter without a capture of its own.
    controller.recording = true;
    view.setCurrent(true);
    ASSERT_TRUE(waitUntil([&] { return view.levelIndicator()->doubleValue() > 0.0; }));
    view.setCurrent(false);
    EXPECT_EQ(controller.take(), "stopPseudoRecord");
    // A recording started by hot key while the meter ran takes the capture
    // over; once it is done, showing the page again starts a new one.
    controller.recording = false;
    view.setCurrent(true);
    controller.recording = true;
    view.setCurrent(false);
    controller.recording = false;
    view.setCurrent(true);
    EXPECT_EQ(controller.take(), "startPseudoRecord, startPseudoRecord");
}

TEST_F(Preferences, QualityIsClampedAndTheCaptureStopsAroundQualityAndDeviceChanges)
{
    view.setRecQuality(0);
    EXPECT_EQ(view.qualitySlider()->value(), 1);
    view.setRecQuality(7);
    EXPECT_EQ(view.qualitySlider()->value(), 3);
    EXPECT_EQ(controller.take(), "setRecQuality 1, setRecQuality 3");
    view.setInputDevices({"Built-in Microphone", "USB Headset"}, "mix");
    // A stored device that is not connected: no other device pretends to be it.
    view.selectDevice("usb headset");
    EXPECT_EQ(view.devicesPopUp()->currentIndex(), -1);
    view.selectDevice("mix");
    EXPECT_EQ(view.devicesPopUp()->currentText(), "Microphone and computer sound");
    view.setSkipSilence(true);
    view.setCurrent(true);
    controller.take();

    view.qualitySlider()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(controller.take(), "stopPseudoRecord, setRecQuality 2, startPseudoRecord");
    EXPECT_TRUE(controller.messages.isEmpty());
    // Another device ends the capture; the meter starts again on it.
    userPicks(view.devicesPopUp(), 1);
    EXPECT_EQ(controller.take(), "stopPseudoRecord, setInputDevice USB Headset, startPseudoRecord");
    userPicks(view.devicesPopUp(), 2);
    EXPECT_EQ(controller.take(), "stopPseudoRecord, setInputDevice mix, startPseudoRecord");
    // Pre-roll, with the meter off: the stored seconds, off as 0, the seconds only while it is on.
    view.skipSilenceBtn()->click();
    controller.take();
    view.setPreRoll(20);
    view.preRollBtn()->click();
    EXPECT_FALSE(view.preRollSeconds()->isEnabled());
    view.preRollBtn()->click();
    view.preRollSeconds()->setValue(40);
    EXPECT_EQ(controller.take(), "setPreRoll 20, setPreRoll 0, setPreRoll 20, setPreRoll 30");
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
    view.setFolderChooser([&](QWidget*, const QString& start) {
        startedIn << start;
        return answer;
    });
    view.setOutputFolder(folder);
    QComboBox* popUp = view.outputPopUp();
    ASSERT_EQ(popUp->count(), 3);
    EXPECT_EQ(popUp->itemText(0), "Voice Recordings");
    EXPECT_EQ(popUp->itemText(2), "Other...");
    // Cancelled: the old folder stays and nothing is sent.
    userPicks(popUp, 2);
    EXPECT_EQ(startedIn, QStringList({QDir::cleanPath(root.path())}));
    EXPECT_EQ(popUp->currentIndex(), 0);
    EXPECT_EQ(view.outputFolder(), folder);

    answer = other;
    userPicks(popUp, 2);
    EXPECT_EQ(view.outputFolder(), other);
    EXPECT_EQ(popUp->itemText(0), "Elsewhere");
    EXPECT_EQ(controller.take(), "outputFolder " + other);
}

TEST_F(Preferences, ThresholdSliderMovesTheMarkAndKeepsTheStoredValue)
{
    view.setSkipSilence(true);
    // A value between two slider steps goes back to the controller unchanged.
    view.setSoundThreshold(0.2345f);
    EXPECT_EQ(controller.thresholds, QList<float>{0.2345f});

    view.show();
    view.setSoundThreshold(0.4f);
    const ThresholdIndicator* meter = view.levelIndicator();
    EXPECT_NEAR(meter->markX(), int(meter->width() * 0.6), 1);
    // The user drags the handle to the end of the scale.
    view.thresholdSlider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_NEAR(controller.thresholds.last(), 20.0f / 30.0f, 1e-6);
    EXPECT_EQ(meter->markX(), meter->width() - 1);
}

namespace {

// Renames as the library does: a title another row of the
// same category has is refused, and a rename saves.
class RenamingController : public DescrPanelDelegate
{
public:
    GeneralRecItem* chiefSelectedItem() const override { return chief; }
    bool renameItem(GeneralRecItem* item, const QString& title) override
    {
        renames << title;
        auto* group = qobject_cast<RecGroup*>(item->parent());
        if (title.isEmpty() || (group && group->subItemByTitle(title))) {
            refusals << "Item with the same name already exists in this category";
            return false;
        }
        item->setTitle(title);
        structChanged();
        return true;
    }
    void structChanged() override
    {
        ++saves;
        // After every save the panel is refreshed with the chief row.
        if (panel)
            panel->setCurrentFile(chief);
    }

    GeneralRecItem* chief = nullptr;
    DescrPanelController* panel = nullptr;
    QStringList renames;
    QStringList refusals;
    int saves = 0;
};

struct Library
{
    Library()
    {
        meeting->setTitle("Meeting");
        meeting->setDescr("Weekly");
        lecture->setTitle("Lecture");
        for (RecItem* item : {meeting, lecture})
            root.addSubItem(std::unique_ptr<RecItem>(item))->setParent(&root);
    }
    RecGroup root{RecGroup::WithExpandButton};
    RecItem* meeting = new RecItem;
    RecItem* lecture = new RecItem;
};

// What the panel shows: title, description, and whether it can be edited.
QString shown(const DescrPanel& panel)
{
    return panel.titleField()->text() + " / " + panel.descrField()->toPlainText() +
           (panel.titleField()->isEnabled() && panel.descrField()->isEnabled() ? " / editable"
                                                                               : "");
}

void pressReturn(QWidget* field)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}

// As the user types: replaces the text and marks the field edited.
void typeTitle(QLineEdit* field, const QString& text)
{
    field->selectAll();
    field->insert(text);
}

void typeDescr(QPlainTextEdit* field, const QString& text)
{
    field->selectAll();
    field->insertPlainText(text);
}

// The panel on the library's "Meeting", wired to the stand-in controller.
class Panel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.chief = library.meeting;
        app.panel = &controller;
        controller.setAppDelegate(&app);
        controller.setCurrentFile(library.meeting);
    }

    Library library;
    DescrPanel panel;
    DescrPanelController controller{&panel};
    RenamingController app;
};

} // namespace

TEST(DescrPanel, FollowsTheRowAndIsDisabledWithout)
{
    Library library;
    DescrPanel panel;
    DescrPanelController controller(&panel);
    EXPECT_EQ(shown(panel), " / ");
    controller.setCurrentFile(library.meeting);
    EXPECT_EQ(shown(panel), "Meeting / Weekly / editable");
    controller.setCurrentFile(nullptr);
    EXPECT_EQ(shown(panel), " / ");
    // A row deleted while shown leaves the panel empty, not dangling.
    controller.setCurrentFile(library.lecture);
    library.root.removeSubItem(library.lecture).reset();
    EXPECT_EQ(controller.currentRec(), nullptr);
    EXPECT_EQ(shown(panel), " / ");
}

TEST_F(Panel, RenameRoundTrips)
{
    // Return without a change: no rename, no save.
    pressReturn(panel.titleField());
    EXPECT_TRUE(app.renames.isEmpty());
    EXPECT_EQ(app.saves, 0);

    typeTitle(panel.titleField(), "Board Meeting");
    pressReturn(panel.titleField());
    EXPECT_EQ(app.renames, QStringList({"Board Meeting"}));
    EXPECT_EQ(library.meeting->title(), "Board Meeting");
    EXPECT_EQ(shown(panel), "Board Meeting / Weekly / editable");
    EXPECT_EQ(app.saves, 1);
    // The name of another recording of the category is refused and the old
    // title comes back, also when the refusal's message takes the focus.
    typeTitle(panel.titleField(), "Lecture");
    pressReturn(panel.titleField());
    EXPECT_EQ(app.refusals.size(), 1);
    EXPECT_EQ(library.meeting->title(), "Board Meeting");
    EXPECT_EQ(shown(panel), "Board Meeting / Weekly / editable");
    controller.windowResignKey();
    EXPECT_EQ(app.renames.size(), 2);
    EXPECT_EQ(app.saves, 1);
}

TEST_F(Panel, DescriptionIsCommittedWhenTheEditEnds)
{
    // The panel stops being the active window while the user types.
    typeDescr(panel.descrField(), "Weekly, with notes\non two lines");
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&panel, &deactivate);
    EXPECT_EQ(library.meeting->descr(), "Weekly, with notes\non two lines");
    EXPECT_EQ(app.saves, 1);
    // The field loses the focus.
    typeDescr(panel.descrField(), "Tab to the title");
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(panel.descrField(), &focusOut);
    EXPECT_EQ(library.meeting->descr(), "Tab to the title");
    EXPECT_EQ(app.saves, 2);
    // A click on another row that arrives before the panel loses the focus:
    // the typing still belongs to the row it was typed for.
    typeDescr(panel.descrField(), "Typed for the meeting");
    typeTitle(panel.titleField(), "Standup");
    app.chief = library.lecture;
    controller.setCurrentFile(library.lecture);
    EXPECT_EQ(library.meeting->title() + " / " + library.meeting->descr(),
              "Standup / Typed for the meeting");
    EXPECT_EQ(shown(panel), "Lecture /  / editable");
    // A refresh of the same row keeps what is being typed.
    typeDescr(panel.descrField(), "Half typed");
    controller.setCurrentFile(library.lecture);
    EXPECT_EQ(panel.descrField()->toPlainText(), "Half typed");
}

TEST(ThresholdIndicator, MarkStandsWhereTheLevelReachesTheThreshold)
{
    ThresholdIndicator meter;
    meter.resize(200, 12);
    meter.setThreshold(0.4f);
    EXPECT_EQ(meter.markX(), 120);
    // A level equal to the threshold fills the meter up to the mark: green
    // before it, red on it, not green after.
    meter.setDoubleValue(0.4 * ThresholdIndicator::kLevelScale);
    const QImage image = meter.grab().toImage();
    const int y = image.height() / 2;
    EXPECT_TRUE(isMarkRed(image.pixel(120, y)));
    EXPECT_TRUE(isBarGreen(image.pixel(110, y)));
    EXPECT_FALSE(isBarGreen(image.pixel(130, y)));
}

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

    QStringList opens{"appstream", "https"};
    QList<QUrl> urls;
    RateController controller;
    double now = 1'800'000'000.0;
};

} // namespace

TEST_F(RateOffer, FirstLaunchRecordsTheDateAndTheOfferComesOnceAfterThreeDays)
{
    EXPECT_FALSE(offer([] {}));
    const double first = QSettings().value("FSD").toDouble();
    EXPECT_EQ(first, now);
    EXPECT_FALSE(QSettings().contains("ASO"));
    now = first + 259200;
    EXPECT_FALSE(offer([] {}));
    // Closing the panel counts as declining: never again.
    now = first + 259201;
    EXPECT_TRUE(offer([this] { controller.ratePanel()->close(); }));
    EXPECT_TRUE(QSettings().value("ASO").toBool());
    EXPECT_TRUE(urls.isEmpty());
    now = first + 10 * 259200;
    EXPECT_FALSE(offer([this] { controller.ratePanel()->close(); }));
}

TEST_F(RateOffer, RatingOpensTheStoreElseTheHomePageAndOnlyAnOpenedLinkSpendsTheOffer)
{
    const QUrl store("appstream://io.github.voicetray.VoiceTray");
    const QUrl home("https://github.com/voicetray/VoiceTray");
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
        QSettings().setValue("FSD", now - 400000);
        opens = c.opens;
        urls.clear();
        EXPECT_TRUE(offer([this] { controller.rateBtn()->click(); }));
        EXPECT_EQ(urls, c.tried);
        EXPECT_EQ(QSettings().value("ASO").toBool(), c.spent);
        EXPECT_FALSE(controller.ratePanel()->isVisible());
    }
}
