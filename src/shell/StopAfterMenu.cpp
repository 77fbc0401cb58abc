// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StopAfterMenu.h"

#include <QInputDialog>

namespace {

// A day: more is a mistyped length rather than a recording.
constexpr int kLongestMinutes = 24 * 60;

} // namespace

StopAfterMenu::StopAfterMenu(QWidget* parent) : QMenu(parent)
{
    using namespace std::chrono_literals;
    // A heading: the style draws a section as a bare line.
    addAction(tr("Record and Stop After"))->setEnabled(false);
    const std::pair<QString, std::chrono::minutes> lengths[] = {{tr("15 Minutes"), 15min},
                                                                {tr("30 Minutes"), 30min},
                                                                {tr("1 Hour"), 1h},
                                                                {tr("2 Hours"), 2h}};
    for (const auto& [text, length] : lengths)
        addAction(text, this, [this, length] { emit chosen(length); });
    addAction(tr("Custom..."), this, &StopAfterMenu::askForLength);
    addSeparator();
    addAction(tr("Planned Recordings..."), this, &StopAfterMenu::plansChosen);
}

void StopAfterMenu::askForLength()
{
    bool ok = false;
    const int minutes = QInputDialog::getInt(parentWidget(), tr("Record and Stop After"),
                                             tr("Length of the recording in minutes:"), 45, 1,
                                             kLongestMinutes, 5, &ok);
    if (ok)
        emit chosen(std::chrono::minutes(minutes));
}
