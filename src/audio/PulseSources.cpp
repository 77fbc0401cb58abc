// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/PulseSources.h"

#include "av/PulseConnection.h"

#include <algorithm>
#include <pulse/introspect.h>

namespace {

struct SourceQuery
{
    const PulseConnection* connection = nullptr;
    std::vector<PulseSourceInfo>* result = nullptr;
    bool ok = true;
};

struct ServerQuery
{
    const PulseConnection* connection = nullptr;
    QString defaultSource;
    QString defaultSink;
};

struct MonitorQuery
{
    const PulseConnection* connection = nullptr;
    QString monitor;
};

void sinkInfoReceived(pa_context*, const pa_sink_info* info, int eol, void* userdata)
{
    auto* query = static_cast<MonitorQuery*>(userdata);
    if (info && info->monitor_source_name)
        query->monitor = QString::fromUtf8(info->monitor_source_name);
    if (eol != 0)
        query->connection->wake();
}

void sourceInfoReceived(pa_context*, const pa_source_info* info, int eol, void* userdata)
{
    auto* query = static_cast<SourceQuery*>(userdata);
    if (eol < 0)
        query->ok = false;
    if (info)
        query->result->push_back(PulseSourceInfo{
            .name = QString::fromUtf8(info->name),
            .description = QString::fromUtf8(info->description ? info->description : info->name),
            .sampleSpec = info->sample_spec,
            .channelMap = info->channel_map,
            .monitor = info->monitor_of_sink != PA_INVALID_INDEX,
        });
    if (eol != 0)
        query->connection->wake();
}

void serverInfoReceived(pa_context*, const pa_server_info* info, void* userdata)
{
    auto* query = static_cast<ServerQuery*>(userdata);
    if (info && info->default_source_name)
        query->defaultSource = QString::fromUtf8(info->default_source_name);
    if (info && info->default_sink_name)
        query->defaultSink = QString::fromUtf8(info->default_sink_name);
    query->connection->wake();
}

} // namespace

bool PulseSources::all(std::vector<PulseSourceInfo>& result)
{
    result.clear();
    if (!m_connection.isReady())
        return false;
    SourceQuery query{&m_connection, &result, true};
    PulseConnection::Lock lock(m_connection);
    const bool answered =
        m_connection.waitFor(lock, PulseOperationPtr(pa_context_get_source_info_list(
                                       m_connection.context(), sourceInfoReceived, &query)));
    return answered && query.ok;
}

bool PulseSources::sourceByName(const QString& name, PulseSourceInfo& result)
{
    if (!m_connection.isReady() || name.isEmpty())
        return false;
    std::vector<PulseSourceInfo> found;
    SourceQuery query{&m_connection, &found, true};
    const QByteArray utf8 = name.toUtf8();
    PulseConnection::Lock lock(m_connection);
    const bool answered = m_connection.waitFor(
        lock, PulseOperationPtr(pa_context_get_source_info_by_name(
                  m_connection.context(), utf8.constData(), sourceInfoReceived, &query)));
    if (!answered || found.empty())
        return false;
    result = found.front();
    return true;
}

QString PulseSources::defaultSourceName()
{
    if (!m_connection.isReady())
        return {};
    ServerQuery query{&m_connection, {}, {}};
    PulseConnection::Lock lock(m_connection);
    m_connection.waitFor(lock, PulseOperationPtr(pa_context_get_server_info(
                                   m_connection.context(), serverInfoReceived, &query)));
    return query.defaultSource;
}

QString PulseSources::defaultMonitorName()
{
    if (!m_connection.isReady())
        return {};
    ServerQuery server{&m_connection, {}, {}};
    MonitorQuery query{&m_connection, {}};
    PulseConnection::Lock lock(m_connection);
    m_connection.waitFor(lock, PulseOperationPtr(pa_context_get_server_info(
                                   m_connection.context(), serverInfoReceived, &server)));
    if (server.defaultSink.isEmpty())
        return {};
    const QByteArray sink = server.defaultSink.toUtf8();
    m_connection.waitFor(lock,
                         PulseOperationPtr(pa_context_get_sink_info_by_name(
                             m_connection.context(), sink.constData(), sinkInfoReceived, &query)));
    return query.monitor;
}

QString PulseSources::microphoneName()
{
    std::vector<PulseSourceInfo> sources;
    if (!all(sources))
        return {};
    const QString preferred = defaultSourceName();
    const auto isDefault = [&](const PulseSourceInfo& s) { return s.name == preferred; };
    auto found = std::find_if(sources.begin(), sources.end(), isDefault);
    if (found == sources.end() || found->monitor)
        found = std::find_if(sources.begin(), sources.end(),
                             [](const PulseSourceInfo& s) { return !s.monitor; });
    return found == sources.end() ? QString() : found->name;
}
