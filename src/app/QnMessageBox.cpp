// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QnMessageBox.h"

#include "app/AppLog.h"

#include <QMessageBox>

namespace {

std::function<void(const QString&)>& presenter()
{
    static std::function<void(const QString&)> current;
    return current;
}

} // namespace

void setQnMessageBoxPresenter(std::function<void(const QString&)> p)
{
    presenter() = std::move(p);
}

void QnMessageBox(const QString& text)
{
    // What the user was told belongs in a bug report.
    qCInfo(lcApp, "Told the user: %s", qPrintable(text));
    if (presenter()) {
        presenter()(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, "VoiceTray", text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}
