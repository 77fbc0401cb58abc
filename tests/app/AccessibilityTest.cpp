// SPDX-License-Identifier: GPL-3.0-or-later
// VoiceTray without a mouse and without sight: key presses on the real window
// (offscreen, so the plain window stands in for the pop-up; Escape on the
// pop-up is in WindowStateTest.cpp), what a screen reader reads through Qt's
// accessibility interfaces (the ones AT-SPI reads), and all of it in German
// under LANGUAGE=de.
#include "app/Translations.h"
#include "hotkeys/HotKeyField.h"
#include "outline/RecOutlineView.h"
#include "playback/RecNavigController.h"
#include "playback/SliderWithNotes.h"
#include "shell/HotKeyPreferences.h"
#include "shell/MainView.h"
#include "shell/PreferencesView.h"
#include "shell/ThresholdIndicator.h"
#include "shell/UndoBar.h"
#include "support/AppFixture.h"
#include "widgets/FloatSlider.h"
#include "widgets/SwitchToolbarBtn.h"
#include "widgets/ToolbarButton.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

namespace {

class Keyboard : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        // Without a tray VoiceTray waits for one; "voicetray --show" opens the plain window.
        ASSERT_NE(window->showPlainWindow(), nullptr);
        window->plainWindow()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window->plainWindow()));
        view = window->mainView();
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    MainView* view = nullptr;
};

class Accessible : public AppFixture
{
protected:
    // Every interface under the widget's, by name, as a screen reader walks them.
    static QHash<QString, QAccessibleInterface*> tree(QWidget* widget)
    {
        QHash<QString, QAccessibleInterface*> byName;
        QList<QAccessibleInterface*> open{QAccessible::queryAccessibleInterface(widget)};
        while (!open.isEmpty()) {
            QAccessibleInterface* node = open.takeFirst();
            byName.insert(node->text(QAccessible::Name), node);
            for (int i = 0; i < node->childCount(); ++i)
                open << node->child(i);
        }
        return byName;
    }
};

class German : public AppFixture
{
protected:
    void SetUp() override
    {
        qputenv("LANGUAGE", "de");
        translations = std::make_unique<Translations>();
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        translations.reset();
        qunsetenv("LANGUAGE");
    }

    std::unique_ptr<Translations> translations;
};

} // namespace

TEST_F(Keyboard, TabGoesThroughTheUsableControlsInOrder)
{
    EXPECT_EQ(QApplication::focusWidget(), view->outlineView());
    outline->selectItem(recording("Talk", nullptr, 2));
    // Split and Remove Mark are disabled here, and skipped.
    const QList<QWidget*> order{view->recordBtn,     view->continueBtn,   view->addCategoryBtn,
                                view->deleteBtn,     view->showDescrBtn,  view->prefsBtn,
                                view->searchField(), view->outlineView(), view->jumpBackward,
                                view->playBtn,       view->jumpForward,   view->addMarkBtn,
                                window->recSlider(), view->recordBtn};
    view->recordBtn->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited{QApplication::focusWidget()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        press(Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    EXPECT_EQ(visited, order);

    view->addCategoryBtn->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return); // as Space does
    EXPECT_EQ(titles(root()), (QStringList{"Talk", "Category 1"}));
}

TEST_F(Keyboard, CtrlFFindsAndEscapeEmptiesTheFieldAndLeavesTheSearch)
{
    recording("Talk");
    recording("Walk");
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), view->searchField());
    QTest::keyClicks(view->searchField(), "ta");
    EXPECT_EQ(titles(outline->mainItem()), QStringList{"Talk"});
    press(Qt::Key_Escape);
    EXPECT_TRUE(view->searchField()->text().isEmpty());
    EXPECT_FALSE(outline->isSearchMode());
    EXPECT_EQ(QApplication::focusWidget(), view->outlineView());
    // The plain window is the program itself: Escape leaves it open.
    press(Qt::Key_Escape);
    EXPECT_TRUE(window->plainWindow()->isVisible());
}

TEST_F(Keyboard, SpaceCtrlMDeleteAndCtrlZDoWhatTheirButtonsDo)
{
    RecItem* talk = recording("Talk", nullptr, 3);
    const QString file = library->restorePath(talk);
    outline->selectItem(talk);
    press(Qt::Key_Space);
    EXPECT_TRUE(window->recNavigController()->playingNow());
    press(Qt::Key_Space);
    EXPECT_FALSE(window->recNavigController()->playingNow());
    press(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(talk->marks().size(), 1u);

    // While recording Delete does nothing, as its button.
    window->toggleRecording(false);
    ASSERT_TRUE(session->isRecording());
    outline->selectItem(talk);
    press(Qt::Key_Delete);
    window->toggleRecording(false);
    EXPECT_EQ(titles(root()).size(), 2);

    outline->selectItem(talk);
    press(Qt::Key_Delete);
    EXPECT_EQ(titles(root()), QStringList{"Untitled 1"});
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(view->undoBar()->isVisible());
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(titles(root()), (QStringList{"Talk", "Untitled 1"}));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Accessible, MainViewNamesRolesStatesAndRows)
{
    RecItem* talk = recording("Talk", category("Talks"), kNoFile);
    const auto nodes = tree(window->mainView());
    const struct
    {
        const char* name;
        QAccessible::Role role;
        bool disabled;
    } controls[] = {
        {"Start a New Recording (Super+Shift+R)", QAccessible::Button, false},
        {"Continue Recording (Super+Shift+C)", QAccessible::Button, true},
        {"Add Category", QAccessible::Button, false},
        {"Delete", QAccessible::Button, true},
        {"Split at Marks", QAccessible::Button, true},
        {"Recordings Editor", QAccessible::CheckBox, false}, // an on/off switch
        {"Preferences", QAccessible::Button, false},
        {"Search", QAccessible::EditableText, false},
        {"Recordings", QAccessible::Tree, false},
        {"Jump Backward 30 Seconds", QAccessible::Button, true},
        {"Play", QAccessible::Button, true},
        {"Jump Forward 30 Seconds", QAccessible::Button, true},
        {"Add Mark", QAccessible::Button, true},
        {"Remove Mark", QAccessible::Button, true},
        {"Playback Position", QAccessible::Slider, false},
        {"Time", QAccessible::Client, false},
    };
    for (const auto& control : controls) {
        SCOPED_TRACE(control.name);
        QAccessibleInterface* node = nodes.value(control.name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->role(), control.role);
        EXPECT_EQ(node->state().disabled, control.disabled);
        if (control.role == QAccessible::Button) {
            EXPECT_EQ(node->text(QAccessible::Description), control.name);
        }
    }
    EXPECT_EQ(nodes.value("Recordings Editor")->text(QAccessible::Description),
              "Show Recordings Editor");
    outline->selectItem(talk);
    EXPECT_FALSE(nodes.value("Delete")->state().disabled);
}

TEST_F(Accessible, PreferencesLabelsNameTheirFieldsAndTheMeterReportsItsLevel)
{
    PreferencesView* page = window->prefView();
    // A screen reader names a field by the label it is labelled by.
    const std::pair<const char*, QWidget*> fields[] = {
        {"Input device", page->devicesPopUp()},  {"Save in", page->outputPopUp()},
        {"Quality", page->qualitySlider()},      {"Threshold", page->thresholdSlider()},
        {"Input level", page->levelIndicator()}, {"New recording", page->hotKeys()->field(0)},
        {"Continue", page->hotKeys()->field(1)}};
    for (auto [name, field] : fields) {
        const auto labels =
            QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << name;
        EXPECT_EQ(labels.first().first->text(QAccessible::Name), name);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->backBtn())->text(QAccessible::Name),
              "Back");

    QAccessibleInterface* meter = QAccessible::queryAccessibleInterface(page->levelIndicator());
    EXPECT_EQ(meter->role(), QAccessible::ProgressBar);
    page->levelIndicator()->setDoubleValue(7.5);
    QAccessibleValueInterface* value = meter->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toDouble(), 7.5);
    EXPECT_EQ(value->maximumValue().toDouble(), ThresholdIndicator::kMaxValue);
}

TEST_F(German, TheWindowThePreferencesAndTheMessagesAreGerman)
{
    ASSERT_TRUE(translations->isTranslated());
    MainView* view = window->mainView();
    EXPECT_EQ(view->recordBtn->toolTip(), "Neue Aufnahme beginnen (Super+Umschalt+R)");
    EXPECT_EQ(view->playBtn->toolTip(), "Abspielen");
    EXPECT_EQ(view->searchField()->placeholderText(), "Suchen");

    PreferencesView* page = window->prefView();
    EXPECT_EQ(page->skipSilenceBtn()->text(), "Stille auslassen");
    const auto labels =
        QAccessible::queryAccessibleInterface(page->devicesPopUp())->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->text(QAccessible::Name), "Eingabegerät");

    window->addCategory();
    EXPECT_EQ(titles(root()), QStringList{"Kategorie 1"});
    library->rename(groupAt(root(), 0), "a/b");
    EXPECT_EQ(messages, QStringList{"Der Eintrag kann nicht umbenannt werden"});

    // Qt's own texts come in the same language.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
}
