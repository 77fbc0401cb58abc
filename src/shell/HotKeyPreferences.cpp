// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HotKeyPreferences.h"

#include "hotkeys/HotKeyField.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

HotKeyPreferences::HotKeyPreferences(QWidget* parent) : QWidget(parent), m_status(new QLabel(this))
{
    m_status->setWordWrap(true);
    QFont small = m_status->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_status->setFont(small);
    m_status->setStyleSheet(QStringLiteral("color: #98989d;"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_status, 0, 0, 1, 3);
    const QString names[kActions] = {tr("New recording"), tr("Continue")};
    for (int action = 0; action < kActions; ++action) {
        auto* name = new QLabel(names[action], this);
        name->setStyleSheet(QStringLiteral("color: #ececec;"));
        auto* field = new HotKeyField(this);
        // Screen readers name the field by its label.
        name->setBuddy(field);
        auto* button = new QPushButton(tr("Change"), this);
        button->setCheckable(true);
        button->setToolTip(tr("Press the new keys, with Super, Ctrl, Alt or Shift"));
        m_fields[action] = field;
        m_buttons[action] = button;
        grid->addWidget(name, action + 1, 0);
        grid->addWidget(field, action + 1, 1);
        grid->addWidget(button, action + 1, 2);

        connect(button, &QPushButton::toggled, field, [this, action, field](bool checked) {
            field->setCapturing(checked);
            if (checked)
                field->setFocus();
            else
                field->setText(m_texts[action]);
        });
        connect(field, &HotKeyField::capturingChanged, this, [this, button](bool capturing) {
            button->setChecked(capturing);
            emit capturingChanged(std::any_of(m_fields.begin(), m_fields.end(),
                                              [](HotKeyField* f) { return f->isCapturing(); }));
        });
        connect(field, &HotKeyField::captured, this, [this, action](QKeyCombination combination) {
            emit combinationChosen(action, combination);
        });
    }
}

void HotKeyPreferences::setCombinationText(int action, const QString& text)
{
    m_texts.at(action) = text;
    if (!m_fields.at(action)->isCapturing())
        m_fields[action]->setText(text);
}

void HotKeyPreferences::setStatus(const QString& text)
{
    m_status->setText(text);
}
