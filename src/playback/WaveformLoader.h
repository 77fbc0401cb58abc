// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// Brings the peak envelope of a file to the main thread without ever
// blocking it: a kept envelope at once, otherwise measured on a pool thread.
// A new request or the loader's end drops the answer of the one before.
// Main thread only.
class WaveformLoader : public QObject
{
    Q_OBJECT
public:
    using Receiver = std::function<void(const QString& path, const std::vector<float>& peaks)>;

    explicit WaveformLoader(Receiver receiver, QObject* parent = nullptr);
    ~WaveformLoader() override;

    // The receiver gets the envelope, at once when it is kept, else later;
    // an empty one when the file cannot be read. An empty path cancels.
    void request(const QString& path);

private:
    struct Request;

    Receiver m_receiver;
    std::shared_ptr<Request> m_request;
    QString m_pendingPath;
};
