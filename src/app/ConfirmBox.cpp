// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConfirmBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

std::function<bool(const QString&)>& presenter()
{
    static std::function<bool(const QString&)> current;
    return current;
}

} // namespace

void setConfirmBoxPresenter(std::function<bool(const QString&)> p)
{
    presenter() = std::move(p);
}

bool ConfirmBox(const QString& text, const QString& action)
{
    if (presenter())
        return presenter()(text);
    QMessageBox box(QMessageBox::Warning, "VoiceTray", text);
    QPushButton* act = box.addButton(action, QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == act;
}
