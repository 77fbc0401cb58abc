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
    QString recordKeys() const { return m_recordKeys; }

private:
    void updateText();

    QString m_recordKeys;
};
