// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PulseContext.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

namespace {

struct SourceQuery
{
    pa_threaded_mainloop* mainloop = nullptr;
    std::vector<PulseSourceInfo>* result = nullptr;
    bool ok = true;
};

struct ServerQuery
{
    pa_threaded_mainloop* mainloop = nullptr;
    QString defaultSource;
};

void contextStateChanged(pa_context*, void* userdata)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(userdata), 0);
}

void sourceInfoReceived(pa_context*, const pa_source_info* info, int eol, void* userdata)
{
    auto* query = static_cast<SourceQuery*>(userdata);
    if (eol < 0)
        query->ok = false;
    if (info) {
        PulseSourceInfo source;
        source.name = QString::fromUtf8(info->name);
        source.description = QString::fromUtf8(info->description ? info->description : info->name);
        source.sampleSpec = info->sample_spec;
        source.channelMap = info->channel_map;
        query->result->push_back(source);
    }
    if (eol != 0)
        pa_threaded_mainloop_signal(query->mainloop, 0);
}

void serverInfoReceived(pa_context*, const pa_server_info* info, void* userdata)
{
    auto* query = static_cast<ServerQuery*>(userdata);
    if (info && info->default_source_name)
        query->defaultSource = QString::fromUtf8(info->default_source_name);
    pa_threaded_mainloop_signal(query->mainloop, 0);
}

// Waits, with the mainloop locked, until the operation has run its callback.
void waitFor(pa_threaded_mainloop* mainloop, pa_operation* operation)
{
    if (!operation)
        return;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(mainloop);
    pa_operation_unref(operation);
}

} // namespace

PulseContext::PulseContext() = default;

PulseContext::~PulseContext()
{
    disconnect();
}

bool PulseContext::connect()
{
    if (m_connected)
        return true;
    m_mainloop = pa_threaded_mainloop_new();
    if (!m_mainloop)
        return false;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop), "VoiceTray");
    if (!m_context) {
        disconnect();
        return false;
    }
    pa_context_set_state_callback(m_context, contextStateChanged, m_mainloop);
    if (pa_threaded_mainloop_start(m_mainloop) < 0) {
        disconnect();
        return false;
    }
    pa_threaded_mainloop_lock(m_mainloop);
    bool ready = pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    while (ready) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(state))
            ready = false;
        else
            pa_threaded_mainloop_wait(m_mainloop);
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    m_connected = ready;
    if (!ready)
        disconnect();
    return ready;
}

void PulseContext::disconnect()
{
    if (m_mainloop)
        pa_threaded_mainloop_stop(m_mainloop);
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_mainloop) {
        pa_threaded_mainloop_free(m_mainloop);
        m_mainloop = nullptr;
    }
    m_connected = false;
}

bool PulseContext::sources(std::vector<PulseSourceInfo>& result)
{
    result.clear();
    if (!m_connected)
        return false;
    SourceQuery query{m_mainloop, &result, true};
    pa_threaded_mainloop_lock(m_mainloop);
    pa_operation* operation =
        pa_context_get_source_info_list(m_context, sourceInfoReceived, &query);
    query.ok = operation != nullptr;
    waitFor(m_mainloop, operation);
    pa_threaded_mainloop_unlock(m_mainloop);
    return query.ok;
}

bool PulseContext::sourceByName(const QString& name, PulseSourceInfo& result)
{
    if (!m_connected || name.isEmpty())
        return false;
    std::vector<PulseSourceInfo> found;
    SourceQuery query{m_mainloop, &found, true};
    const QByteArray utf8 = name.toUtf8();
    pa_threaded_mainloop_lock(m_mainloop);
    pa_operation* operation =
        pa_context_get_source_info_by_name(m_context, utf8.constData(), sourceInfoReceived, &query);
    waitFor(m_mainloop, operation);
    pa_threaded_mainloop_unlock(m_mainloop);
    if (!operation || found.empty())
        return false;
    result = found.front();
    return true;
}

QString PulseContext::defaultSourceName()
{
    if (!m_connected)
        return {};
    ServerQuery query{m_mainloop, {}};
    pa_threaded_mainloop_lock(m_mainloop);
    waitFor(m_mainloop, pa_context_get_server_info(m_context, serverInfoReceived, &query));
    pa_threaded_mainloop_unlock(m_mainloop);
    return query.defaultSource;
}
