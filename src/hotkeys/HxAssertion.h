// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// The one place where the hot key family reports programming errors. The
// operation that raised the assertion stops and answers its failure value;
// nothing is thrown. The default handler writes the report to the log; tests
// install their own handler to see the reports. Main thread only.
class HxAssertion
{
public:
    using Handler =
        std::function<void(const QString& message, const QString& function, const QString& file)>;

    // Installs handler (the default one for an empty handler) and answers the previous one.
    static Handler setHandler(Handler handler);

    static void raise(const QString& message, const char* function, const char* file);
    // "Invalid parameter not satisfying: <condition>"
    static void raiseInvalidParameter(const char* condition, const char* function,
                                      const char* file);
};

#define HX_ASSERTION(message) HxAssertion::raise(message, Q_FUNC_INFO, __FILE__)
#define HX_PARAMETER_ASSERT(condition)                                                             \
    HxAssertion::raiseInvalidParameter(#condition, Q_FUNC_INFO, __FILE__)
