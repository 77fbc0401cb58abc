// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "app/AppLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <unistd.h>

namespace {

// One command a line; an empty line ends the list.
constexpr char kEnd = '\n';
const QByteArray kTaken = QByteArrayLiteral("ok\n");
// A start sends a handful of short words; anything longer is not ours.
constexpr qsizetype kMaxMessage = 4096;

QString fileNamePart(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == '.' || c == '-' ? c : QChar('_');
    return out;
}

} // namespace

QString SingleInstance::defaultServerName()
{
    QString session = qEnvironmentVariable("DISPLAY");
    if (session.isEmpty())
        session = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (session.isEmpty())
        session = qEnvironmentVariable("XDG_SESSION_ID");
    const QString name = QStringLiteral("io.github.voicetray.VoiceTray-%1-%2")
                             .arg(::getuid())
                             .arg(fileNamePart(session));
    // The runtime folder belongs to the user alone; /tmp is shared, so there
    // the user's id in the name keeps users apart.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + name;
}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), m_serverName(serverName)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::tryLock()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_serverName + QStringLiteral(".lock"));
    // Held for the whole run: only a lock whose process has died is stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() != QLockFile::LockFailedError)
        qCWarning(lcApp, "Cannot create the lock file %s", qPrintable(m_serverName + ".lock"));
    return false;
}

bool SingleInstance::sendToRunning(const QStringList& commands, int timeoutMs) const
{
    QByteArray message;
    for (const QString& command : commands)
        message += command.toUtf8() + kEnd;
    message += kEnd;

    // The running process may still be starting and not listen yet.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired()) {
            qCWarning(lcApp, "The running VoiceTray does not answer on %s",
                      qPrintable(m_serverName));
            return false;
        }
        QThread::msleep(50);
    }
    socket.write(message);
    QByteArray answer;
    while (!answer.endsWith(kTaken) && socket.waitForReadyRead(int(deadline.remainingTime())))
        answer += socket.readAll();
    if (!answer.endsWith(kTaken)) {
        qCWarning(lcApp, "The running VoiceTray did not take the commands");
        return false;
    }
    qCInfo(lcApp, "Handed \"%s\" to the running VoiceTray", qPrintable(commands.join(' ')));
    return true;
}

bool SingleInstance::listen()
{
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left behind is from a process that died.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        qCWarning(lcApp, "Cannot listen on %s: %s", qPrintable(m_serverName),
                  qPrintable(m_server->errorString()));
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readCommands(socket); });
            readCommands(socket);
        }
    });
    // Closed while the event loop still exists; this object outlives the application.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, m_server,
            &QLocalServer::close);
    qCInfo(lcApp, "Listening on %s", qPrintable(m_serverName));
    return true;
}

void SingleInstance::readCommands(QLocalSocket* socket)
{
    QByteArray buffer = socket->property("received").toByteArray() + socket->readAll();
    if (buffer.size() > kMaxMessage) {
        socket->abort();
        return;
    }
    const qsizetype end = buffer.startsWith(kEnd) ? 0 : buffer.indexOf(QByteArray(2, kEnd));
    if (end < 0) {
        socket->setProperty("received", buffer);
        return;
    }
    socket->setProperty("received", QByteArray());
    QStringList commands;
    for (const QByteArray& line : buffer.left(end).split(kEnd))
        if (!line.isEmpty())
            commands << QString::fromUtf8(line);
    qCInfo(lcApp, "Another start sent \"%s\"", qPrintable(commands.join(' ')));
    socket->write(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    emit commandsReceived(commands);
}
