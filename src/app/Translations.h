// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QTranslator>

// VoiceTray's own translation and Qt's, for the user's languages, installed
// into the running application for as long as this object lives. English
// needs neither: the texts in the sources are the English ones. Main thread only.
class Translations
{
public:
    // For the languages of the system (LANGUAGE, LC_MESSAGES, LANG).
    explicit Translations(const QLocale& locale = QLocale::system());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Whether VoiceTray's own texts are translated.
    bool isTranslated() const { return m_own; }

private:
    QTranslator m_ownTranslator;
    QTranslator m_qtTranslator;
    bool m_own = false;
    bool m_qt = false;
};
