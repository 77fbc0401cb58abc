// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

Translations::Translations(const QLocale& locale)
{
    m_own = m_ownTranslator.load(locale, QStringLiteral("voicetray"), QStringLiteral("_"),
                                 QStringLiteral(":/i18n")) &&
            QCoreApplication::installTranslator(&m_ownTranslator);
    // Qt's dialogs and standard buttons, from the Qt installation.
    m_qt = m_qtTranslator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
           QCoreApplication::installTranslator(&m_qtTranslator);
}

Translations::~Translations()
{
    if (m_qt)
        QCoreApplication::removeTranslator(&m_qtTranslator);
    if (m_own)
        QCoreApplication::removeTranslator(&m_ownTranslator);
}
