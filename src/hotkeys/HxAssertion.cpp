// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HxAssertion.h"

#include "hotkeys/HotKeysLog.h"

namespace {

void logAssertion(const QString& message, const QString& function, const QString& file)
{
    qCCritical(lcHotKeys, "*** Assertion failure in %s, %s: %s", qPrintable(function),
               qPrintable(file), qPrintable(message));
}

HxAssertion::Handler& currentHandler()
{
    static HxAssertion::Handler handler = logAssertion;
    return handler;
}

} // namespace

HxAssertion::Handler HxAssertion::setHandler(Handler handler)
{
    Handler previous = currentHandler();
    currentHandler() = handler ? std::move(handler) : Handler(logAssertion);
    return previous;
}

void HxAssertion::raise(const QString& message, const char* function, const char* file)
{
    currentHandler()(message, QString::fromUtf8(function), QString::fromUtf8(file));
}

void HxAssertion::raiseInvalidParameter(const char* condition, const char* function,
                                        const char* file)
{
    raise(QStringLiteral("Invalid parameter not satisfying: %1").arg(QString::fromUtf8(condition)),
          function, file);
}
