// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Shows a failure the user must see: an application-modal information box
// with the text and one button; returns once it is dismissed.
void showMessage(const QString& text);

// Replaces how the box is shown (tests collect the texts instead); an empty
// function brings the real box back.
void setMessagePresenter(std::function<void(const QString&)> presenter);

// Asks before something that cannot be undone: an application-modal question
// with a button for the action and Cancel, which is the default. Answers
// whether the user chose the action.
bool askToConfirm(const QString& text, const QString& action);

// Replaces how the question is asked (tests answer it themselves); an empty
// function brings the real box back.
void setConfirmPresenter(std::function<bool(const QString&)> presenter);
