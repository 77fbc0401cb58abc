// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Messages.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

namespace {

// What the user was told belongs in a bug report, beside the program's other lines.
Q_LOGGING_CATEGORY(lcMessages, "voicetray.app", QtWarningMsg)

std::function<void(const QString&)>& messagePresenter()
{
    static std::function<void(const QString&)> current;
    return current;
}

std::function<bool(const QString&)>& confirmPresenter()
{
    static std::function<bool(const QString&)> current;
    return current;
}

} // namespace

void setMessagePresenter(std::function<void(const QString&)> presenter)
{
    messagePresenter() = std::move(presenter);
}

void showMessage(const QString& text)
{
    qCInfo(lcMessages, "Told the user: %s", qPrintable(text));
    if (messagePresenter()) {
        messagePresenter()(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, "VoiceTray", text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void setConfirmPresenter(std::function<bool(const QString&)> presenter)
{
    confirmPresenter() = std::move(presenter);
}

bool askToConfirm(const QString& text, const QString& action)
{
    if (confirmPresenter())
        return confirmPresenter()(text);
    QMessageBox box(QMessageBox::Warning, "VoiceTray", text);
    QPushButton* act = box.addButton(action, QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == act;
}
