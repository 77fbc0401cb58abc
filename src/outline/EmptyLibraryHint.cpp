// SPDX-License-Identifier: GPL-3.0-or-later
#include "outline/EmptyLibraryHint.h"

EmptyLibraryHint::EmptyLibraryHint(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setContentsMargins(24, 0, 24, 0);
    // The theme's muted text, the colour of the search field's placeholder.
    setForegroundRole(QPalette::PlaceholderText);
    updateText();
}

void EmptyLibraryHint::setRecordKeys(const QString& keys)
{
    m_recordKeys = keys;
    updateText();
}

void EmptyLibraryHint::setUnavailableFolder(const QString& folder)
{
    m_unavailableFolder = folder;
    updateText();
}

void EmptyLibraryHint::updateText()
{
    if (isUnavailable()) {
        setText(tr("The folder of the recordings is not available:") + QStringLiteral("\n") +
                m_unavailableFolder + QStringLiteral("\n\n") +
                tr("Connect its drive, or choose another folder in the preferences."));
        return;
    }
    const QString start =
        m_recordKeys.isEmpty()
            ? tr("Press the red button to start a recording.")
            : tr("Press %1 or the red button to start a recording.").arg(m_recordKeys);
    setText(start + QStringLiteral("\n\n") + tr("Drop audio files here to import them."));
}
