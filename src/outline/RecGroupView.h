// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outline/RecRowView.h"

class QLabel;
class QToolButton;
class RecGroup;

// The row of a category: its expand button and title.
class RecGroupView : public RecRowView
{
    Q_OBJECT
public:
    static constexpr int kHeight = 23;

    RecGroupView(RecGroup* group, RecOutlineController* controller, QWidget* parent);

    void placeControls() override;
    bool isOwner(const QObject* label) const override;
    QLabel* titleField() const { return m_titleField; }
    QToolButton* expandButton() const { return m_expandButton; }

protected:
    void updateFromItem() override;

private:
    QToolButton* m_expandButton;
    QLabel* m_titleField;
};
