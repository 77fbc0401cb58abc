// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DescrPanel.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "shell/DescrPanelController.h"
#include "shell/DescrPanelDelegate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Renames as the application controller does: a title another row of the
// same category has is refused, and a rename saves.
class TestController : public DescrPanelDelegate
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
        meeting = new RecItem;
        meeting->setTitle("Meeting");
        meeting->setDescr("Weekly");
        lecture = new RecItem;
        lecture->setTitle("Lecture");
        for (RecItem* item : {meeting, lecture}) {
            root.addSubItem(item);
            item->setParent(&root);
        }
    }
    RecGroup root{RecGroup::WithExpandButton};
    RecItem* meeting;
    RecItem* lecture;
};

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

} // namespace

TEST(DescrPanel, FollowsTheRowAndIsDisabledWithout)
{
    Library library;
    DescrPanel panel;
    DescrPanelController controller(&panel);
    EXPECT_TRUE(panel.titleField()->text().isEmpty());
    EXPECT_FALSE(panel.titleField()->isEnabled());
    EXPECT_FALSE(panel.descrField()->isEnabled());

    controller.setCurrentFile(library.meeting);
    EXPECT_EQ(panel.titleField()->text(), "Meeting");
    EXPECT_EQ(panel.descrField()->toPlainText(), "Weekly");
    EXPECT_TRUE(panel.titleField()->isEnabled());
    EXPECT_TRUE(panel.descrField()->isEnabled());

    controller.setCurrentFile(nullptr);
    EXPECT_TRUE(panel.titleField()->text().isEmpty());
    EXPECT_TRUE(panel.descrField()->toPlainText().isEmpty());
    EXPECT_FALSE(panel.titleField()->isEnabled());

    // A row deleted while shown leaves the panel empty, not dangling.
    controller.setCurrentFile(library.lecture);
    library.root.removeSubItem(library.lecture);
    delete library.lecture;
    EXPECT_EQ(controller.currentRec(), nullptr);
    EXPECT_FALSE(panel.titleField()->isEnabled());
    EXPECT_TRUE(panel.titleField()->text().isEmpty());
}

TEST(DescrPanel, RenameRoundTrips)
{
    Library library;
    DescrPanel panel;
    DescrPanelController controller(&panel);
    TestController app;
    app.chief = library.meeting;
    app.panel = &controller;
    controller.setAppDelegate(&app);
    controller.setCurrentFile(library.meeting);

    // Return without a change: no rename, no save.
    pressReturn(panel.titleField());
    EXPECT_TRUE(app.renames.isEmpty());
    EXPECT_EQ(app.saves, 0);

    typeTitle(panel.titleField(), "Board Meeting");
    pressReturn(panel.titleField());
    EXPECT_EQ(app.renames, QStringList({"Board Meeting"}));
    EXPECT_EQ(library.meeting->title(), "Board Meeting");
    EXPECT_EQ(panel.titleField()->text(), "Board Meeting");
    EXPECT_EQ(app.saves, 1);

    // The name of another recording of the category is refused and the old
    // title comes back, also when the refusal's message takes the focus.
    typeTitle(panel.titleField(), "Lecture");
    pressReturn(panel.titleField());
    EXPECT_EQ(app.refusals.size(), 1);
    EXPECT_EQ(library.meeting->title(), "Board Meeting");
    EXPECT_EQ(panel.titleField()->text(), "Board Meeting");
    controller.windowResignKey();
    EXPECT_EQ(app.renames.size(), 2);
    EXPECT_EQ(app.saves, 1);
}

TEST(DescrPanel, DescriptionIsCommittedWhenTheEditEnds)
{
    Library library;
    DescrPanel panel;
    DescrPanelController controller(&panel);
    TestController app;
    app.chief = library.meeting;
    app.panel = &controller;
    controller.setAppDelegate(&app);
    controller.setCurrentFile(library.meeting);

    // The same text again saves nothing.
    controller.descrChanged();
    EXPECT_EQ(app.saves, 0);

    // The panel stops being the active window while the user types.
    typeDescr(panel.descrField(), "Weekly, with notes\non two lines");
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&panel, &deactivate);
    EXPECT_EQ(library.meeting->descr(), "Weekly, with notes\non two lines");
    EXPECT_EQ(app.saves, 1);
    QApplication::sendEvent(&panel, &deactivate);
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
    EXPECT_EQ(library.meeting->descr(), "Typed for the meeting");
    EXPECT_EQ(library.meeting->title(), "Standup");
    EXPECT_TRUE(library.lecture->descr().isEmpty());
    EXPECT_EQ(panel.titleField()->text(), "Lecture");
    EXPECT_TRUE(panel.descrField()->toPlainText().isEmpty());

    // A refresh of the same row keeps what is being typed.
    typeDescr(panel.descrField(), "Half typed");
    controller.setCurrentFile(library.lecture);
    EXPECT_EQ(panel.descrField()->toPlainText(), "Half typed");
}
