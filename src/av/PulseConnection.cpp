// SPDX-License-Identifier: GPL-3.0-or-later
#include "av/PulseConnection.h"

#include <QLoggingCategory>
#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

Q_LOGGING_CATEGORY(lcPulse, "voicetray.pulse")

namespace {

struct Deadline
{
    const PulseConnection* connection;
    bool passed;
};

void deadlinePassed(pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata)
{
    auto* deadline = static_cast<Deadline*>(userdata);
    deadline->passed = true;
    deadline->connection->wake();
}

} // namespace

void PulseOperationUnref::operator()(pa_operation* operation) const
{
    pa_operation_unref(operation);
}

void PulseConnection::MainloopFree::operator()(pa_threaded_mainloop* mainloop) const
{
    pa_threaded_mainloop_free(mainloop);
}

void PulseConnection::ContextRelease::operator()(pa_context* context) const
{
    pa_context_disconnect(context);
    pa_context_unref(context);
}

PulseConnection::Lock::Lock(const PulseConnection& connection)
    : m_mainloop(connection.m_mainloop.get())
{
    pa_threaded_mainloop_lock(m_mainloop);
}

PulseConnection::Lock::~Lock()
{
    pa_threaded_mainloop_unlock(m_mainloop);
}

PulseConnection::~PulseConnection()
{
    // The thread stops first, so that no callback runs while the context goes.
    if (m_mainloop)
        pa_threaded_mainloop_stop(m_mainloop.get());
}

bool PulseConnection::start()
{
    if (m_mainloop)
        return true;
    m_mainloop.reset(pa_threaded_mainloop_new());
    if (m_mainloop && pa_threaded_mainloop_start(m_mainloop.get()) < 0)
        m_mainloop.reset();
    return m_mainloop != nullptr;
}

bool PulseConnection::connect()
{
    if (m_context || !start())
        return isReady();
    Lock lock(*this);
    m_context.reset(pa_context_new(pa_threaded_mainloop_get_api(m_mainloop.get()), "VoiceTray"));
    if (!m_context)
        return false;
    pa_context_set_state_callback(
        context(),
        [](pa_context*, void* self) {
            wakeCallback(self);
            if (const auto& listener = static_cast<PulseConnection*>(self)->m_stateListener)
                listener();
        },
        this);
    if (pa_context_connect(context(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    waitUntil(lock, [this] {
        const pa_context_state_t state = pa_context_get_state(context());
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    return pa_context_get_state(context()) == PA_CONTEXT_READY;
}

bool PulseConnection::isReady() const
{
    if (!m_context)
        return false;
    Lock lock(*this);
    return pa_context_get_state(context()) == PA_CONTEXT_READY;
}

bool PulseConnection::waitUntil(const Lock&, const std::function<bool()>& done) const
{
    if (done())
        return true;
    Deadline deadline{this, false};
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_mainloop.get());
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(kAnswerTimeout.count()) * PA_USEC_PER_MSEC);
    pa_time_event* timer = api->time_new(api, &when, deadlinePassed, &deadline);
    // A wait that could not be bounded is not begun.
    if (!timer)
        return false;
    bool finished = false;
    while (!finished && !deadline.passed) {
        pa_threaded_mainloop_wait(m_mainloop.get());
        finished = done();
    }
    api->time_free(timer);
    // Each wait that runs out holds the caller for the whole timeout: the log
    // tells a slow start or a stuck control from a sound server that hangs.
    if (!finished)
        qCWarning(lcPulse, "The sound server did not answer within %lld ms",
                  static_cast<long long>(kAnswerTimeout.count()));
    return finished;
}

bool PulseConnection::waitFor(const Lock& held, PulseOperationPtr operation) const
{
    if (!operation)
        return false;
    pa_operation* running = operation.get();
    const bool completed = waitUntil(
        held, [running] { return pa_operation_get_state(running) != PA_OPERATION_RUNNING; });
    if (!completed)
        pa_operation_cancel(running);
    return completed && pa_operation_get_state(running) == PA_OPERATION_DONE;
}

pa_mainloop_api* PulseConnection::api() const
{
    return pa_threaded_mainloop_get_api(m_mainloop.get());
}

void PulseConnection::wake() const
{
    pa_threaded_mainloop_signal(m_mainloop.get(), 0);
}

void PulseConnection::wakeCallback(void* connection)
{
    static_cast<const PulseConnection*>(connection)->wake();
}
