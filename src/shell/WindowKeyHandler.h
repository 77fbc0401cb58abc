// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class WindowController;

// The keys of VoiceTray's window, the pop-up and the plain window alike. Tab
// goes through the toolbar, the search field, the outline and the playback
// controls. Escape empties the search field and leaves the search, or else
// closes the pop-up; Space plays or stops the chief recording; Ctrl+F goes to
// the search field; Ctrl+M adds a mark at the playback position; Delete in
// the outline deletes the selection, and Ctrl+Z brings back what it deleted. A key acts only where
// its button would. Main thread only.
class WindowKeyHandler : public QObject
{
    Q_OBJECT
public:
    explicit WindowKeyHandler(WindowController* app);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chainFocus();
    bool escape();
    bool space();

    WindowController* m_app;
};
