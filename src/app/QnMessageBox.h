// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Shows a failure the user must see: an application-modal information box
// with the text and one button; returns once it is dismissed.
void QnMessageBox(const QString& text);

// Replaces how the box is shown (tests collect the texts instead); an empty
// function brings the real box back.
void setQnMessageBoxPresenter(std::function<void(const QString&)> presenter);
