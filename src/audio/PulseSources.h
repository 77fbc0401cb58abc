// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <vector>

class PulseConnection;

struct PulseSourceInfo
{
    QString name;
    QString description;
    pa_sample_spec sampleSpec{};
    pa_channel_map channelMap{};
    // The monitor of an output: the computer's sound, never a microphone.
    bool monitor = false;
};

// The questions about sources that the recorder asks the server. Each waits
// for the answer at most the connection's answer timeout. Main thread only.
class PulseSources
{
public:
    explicit PulseSources(PulseConnection& connection) : m_connection(connection) {}

    // Every source, monitors of outputs included, in the server's order;
    // false when the list cannot be read.
    bool all(std::vector<PulseSourceInfo>& result);
    // The server's default source name; empty when there is none.
    QString defaultSourceName();
    // The monitor source of the server's default output; empty when there is none.
    QString defaultMonitorName();
    // The microphone recorded when none was chosen: the server's default
    // source, unless that is the monitor of an output, then the first source
    // that is no monitor; empty when there is no microphone at all.
    QString microphoneName();
    bool sourceByName(const QString& name, PulseSourceInfo& result);

private:
    PulseConnection& m_connection;
};
