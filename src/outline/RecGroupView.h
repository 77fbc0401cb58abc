// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outline/RecRowView.h"

class EditableLabel;
class ExpandButton;
class RecGroup;

// The row of a category: its expand button and its title, edited in place.
class RecGroupView : public RecRowView
{
    Q_OBJECT
public:
    static constexpr int kHeight = 23;

    RecGroupView(RecGroup* group, RecOutlineController* controller, QWidget* parent);

    void placeControls() override;
    bool isOwner(const QObject* label) const override;
    EditableLabel* titleLabel() const override { return m_titleField; }
    EditableLabel* titleField() const { return m_titleField; }
    ExpandButton* expandButton() const { return m_expandButton; }

protected:
    void updateFromItem() override;
    void drawBackground(QPainter& p) override;
    void drawHighlight(QPainter& p) override;

private:
    void titleEdited(const QString& text);

    ExpandButton* m_expandButton;
    EditableLabel* m_titleField;
};
