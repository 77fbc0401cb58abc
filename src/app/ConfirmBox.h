// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Asks before something that cannot be undone: an application-modal question
// with a button for the action and Cancel, which is the default. Answers
// whether the user chose the action.
bool ConfirmBox(const QString& text, const QString& action);

// Replaces how the question is asked (tests answer it themselves); an empty
// function brings the real box back.
void setConfirmBoxPresenter(std::function<bool(const QString&)> presenter);
