// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// The short text an empty library shows in the middle of the outline: how to
// start a recording and that audio files can be dropped to import them. It
// lets every click and drop through to the outline. Main thread only.
class EmptyLibraryHint : public QLabel
{
    Q_OBJECT
public:
    explicit EmptyLibraryHint(QWidget* parent = nullptr);

    // The hot key that starts a recording, as the user types it
    // ("Super+Shift+R"); empty when no hot key is in use.
    void setRecordKeys(const QString& keys);
    // The output folder whose drive is not mounted, shown in place of the
    // hint (the hint shows then also over rows); empty when the library is there.
    void setUnavailableFolder(const QString& folder);
    bool isUnavailable() const { return !m_unavailableFolder.isEmpty(); }

private:
    void updateText();

    QString m_recordKeys;
    QString m_unavailableFolder;
};
