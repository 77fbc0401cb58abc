// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// Keeps VoiceTray to one process per user session. The first process takes a
// lock file and listens on a local socket; a later one finds the lock taken
// and hands its commands over the socket instead of starting. Main thread only.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // What the holder answers a later start: text for its standard output
    // and error, and whether all went well (its exit status).
    struct Answer
    {
        QString output;
        QString errors;
        bool ok = true;
    };
    // Carries out the commands of a later start (possibly none: a plain start).
    using Handler = std::function<Answer(const QStringList& commands)>;

    // The socket's path: in the user's private runtime folder when there is
    // one, else in the temporary folder with the user's name, and in either
    // case named after the display (or the session) the program runs on.
    static QString defaultServerName();

    explicit SingleInstance(const QString& serverName = defaultServerName(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    QString serverName() const { return m_serverName; }

    // Takes the lock of the session; false when another process holds it.
    // Works before any application object exists.
    bool tryLock();
    // Hands the commands to the process that holds the lock and waits until
    // it has carried them out; nothing when none answered within the time
    // (to connect; carrying out, a stop that joins a long recording, may take
    // longer). Needs an application object (a QCoreApplication is enough).
    std::optional<Answer> sendToRunning(const QStringList& commands, int timeoutMs = 5000) const;
    // Starts answering later processes with the handler; call after
    // tryLock() succeeded, once the application object that runs the event
    // loop exists.
    bool listen(Handler handler);

private:
    void readCommands(QLocalSocket* socket);

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    Handler m_handler;
};
