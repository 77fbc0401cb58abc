// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <memory>

struct pa_context;
struct pa_mainloop_api;
struct pa_operation;
struct pa_threaded_mainloop;

struct PulseOperationUnref
{
    void operator()(pa_operation* operation) const;
};
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationUnref>;

// A connection to the sound server with a mainloop thread of its own; the
// recorder's capture and the player's output each run on one. Streams made
// on it must be released before it goes.
//
// Threads: the owner's thread makes, connects and destroys it. Callbacks run
// on the mainloop thread and may call wake(). Everything else holds a Lock
// and is for any thread but the mainloop's.
class PulseConnection
{
public:
    // The longest wait for an answer. A server that accepts the connection
    // and then never answers (stopped, hung) makes the operation fail after
    // this instead of freezing the caller.
    static constexpr std::chrono::milliseconds kAnswerTimeout{5000};

    // Holds the mainloop lock while it lives: no callback runs meanwhile.
    class Lock
    {
    public:
        explicit Lock(const PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* m_mainloop;
    };

    PulseConnection() = default;
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Starts the mainloop thread; false when it cannot run.
    bool start();
    // Starts the thread if needed and connects without spawning a server;
    // true once the connection is ready.
    bool connect();
    // Connected, and the connection has not failed since.
    bool isReady() const;

    pa_context* context() const { return m_context.get(); }
    // With the lock held: the mainloop's timers and events.
    pa_mainloop_api* api() const;

    // Waits until done() answers true or the answer timeout passes; answers done().
    bool waitUntil(const Lock& held, const std::function<bool()>& done) const;
    // Waits until the operation has run its callback. At the timeout it is
    // cancelled, so its callback never runs later; answers whether it completed.
    bool waitFor(const Lock& held, PulseOperationPtr operation) const;
    // Mainloop thread (a callback), or with the lock held: wakes every waiter.
    void wake() const;
    // Set with the lock held: runs on the mainloop thread at every change of
    // the connection's state, such as its loss.
    void setStateListener(std::function<void()> listener) { m_stateListener = std::move(listener); }
    // A callback for any stream or operation given the connection as userdata.
    static void wakeCallback(void* connection);

private:
    struct MainloopFree
    {
        void operator()(pa_threaded_mainloop* mainloop) const;
    };
    struct ContextRelease
    {
        void operator()(pa_context* context) const;
    };

    // Declared in this order so that the context goes before its mainloop.
    std::unique_ptr<pa_threaded_mainloop, MainloopFree> m_mainloop;
    std::unique_ptr<pa_context, ContextRelease> m_context;
    std::function<void()> m_stateListener;
};
