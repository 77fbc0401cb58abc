// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QWidget>
#include <array>

class HotKeyField;
class QLabel;
class QPushButton;

// The hot keys' part of the preferences page under "Use global hot keys":
// how the keys are provided, or why they are not and what to do instead,
// and a key-capture field for each of the two actions (0: a new recording,
// 1: continue the selected one), which the user changes with its button.
// Main thread only.
class HotKeyPreferences : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kActions = 2;

    explicit HotKeyPreferences(QWidget* parent = nullptr);

    // What the field of an action shows while it is not capturing.
    void setCombinationText(int action, const QString& text);
    void setStatus(const QString& text);

    QLabel* statusLabel() const { return m_status; }
    HotKeyField* field(int action) const { return m_fields.at(action); }
    QPushButton* changeButton(int action) const { return m_buttons.at(action); }

signals:
    // The user typed a combination into the field of an action.
    void combinationChosen(int action, QKeyCombination combination);
    // Whether a field captures the keys the user types, which the hot keys must let through.
    void capturingChanged(bool capturing);

private:
    QLabel* m_status;
    std::array<HotKeyField*, kActions> m_fields;
    std::array<QPushButton*, kActions> m_buttons;
    std::array<QString, kActions> m_texts;
};
