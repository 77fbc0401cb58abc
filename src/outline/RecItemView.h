// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outline/RecRowView.h"

class EditableLabel;
class RecItem;

// The row of a recording: title and date on the first line, description and
// duration on the second. Title and description are edited in place.
class RecItemView : public RecRowView
{
    Q_OBJECT
public:
    static constexpr int kHeight = 40;
    static constexpr int kDateWidth = 70;
    static constexpr int kDurationWidth = 50;

    RecItemView(RecItem* item, RecOutlineController* controller, QWidget* parent);

    void placeControls() override;
    bool isOwner(const QObject* label) const override;
    EditableLabel* titleLabel() const override { return m_titleField; }
    EditableLabel* titleField() const { return m_titleField; }
    EditableLabel* dateField() const { return m_dateField; }
    EditableLabel* descrField() const { return m_descrField; }
    EditableLabel* durationField() const { return m_durationField; }

protected:
    void updateFromItem() override;
    void drawBackground(QPainter& p) override;

private:
    void titleEdited(const QString& text);
    void descrEdited(const QString& text);

    EditableLabel* m_titleField;
    EditableLabel* m_dateField;
    EditableLabel* m_descrField;
    EditableLabel* m_durationField;
};
