// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <vector>

struct pa_context;
struct pa_threaded_mainloop;

struct PulseSourceInfo
{
    QString name;
    QString description;
    pa_sample_spec sampleSpec{};
    pa_channel_map channelMap{};
};

// A connection to the sound server with its own mainloop thread, and the
// questions about sources that the recorder asks. Main thread only.
class PulseContext
{
public:
    PulseContext();
    ~PulseContext();

    PulseContext(const PulseContext&) = delete;
    PulseContext& operator=(const PulseContext&) = delete;

    // Starts the mainloop thread and connects without spawning a server.
    bool connect();
    bool isConnected() const { return m_connected; }

    // Every source, monitors of outputs included, in the server's order;
    // false when the list cannot be read.
    bool sources(std::vector<PulseSourceInfo>& result);
    // The server's default source name; empty when there is none.
    QString defaultSourceName();
    bool sourceByName(const QString& name, PulseSourceInfo& result);

    pa_threaded_mainloop* mainloop() const { return m_mainloop; }
    pa_context* context() const { return m_context; }

private:
    void disconnect();

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    bool m_connected = false;
};
