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
#include <QPointer>
#include <QThread>
#include <unistd.h>

namespace {

// One command a line; an empty line ends the list. The answer: lines of
// output ("1 " before each) and of errors ("2 "), then "ok" or "failed".
constexpr char kEnd = '\n';
const QByteArray kOk = QByteArrayLiteral("ok");
const QByteArray kFailed = QByteArrayLiteral("failed");
// Carrying out may take a while (a stop joins a continued recording).
constexpr int kCarryOutMs = 60000;
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

std::optional<SingleInstance::Answer> SingleInstance::sendToRunning(const QStringList& commands,
                                                                    int timeoutMs) const
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
            return std::nullopt;
        }
        QThread::msleep(50);
    }
    socket.write(message);
    // It closes the connection once it has answered.
    const QDeadlineTimer answered(kCarryOutMs);
    QByteArray received;
    while (socket.state() == QLocalSocket::ConnectedState &&
           socket.waitForReadyRead(int(answered.remainingTime())))
        received += socket.readAll();
    received += socket.readAll();
    QList<QByteArray> lines = received.split(kEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || (lines.last() != kOk && lines.last() != kFailed)) {
        qCWarning(lcApp, "The running VoiceTray did not take the commands");
        return std::nullopt;
    }
    Answer answer;
    answer.ok = lines.takeLast() == kOk;
    for (const QByteArray& line : std::as_const(lines))
        (line.startsWith("2 ") ? answer.errors : answer.output) +=
            QString::fromUtf8(line.mid(2)) + QLatin1Char('\n');
    qCInfo(lcApp, "Handed \"%s\" to the running VoiceTray", qPrintable(commands.join(' ')));
    return answer;
}

bool SingleInstance::listen(Handler handler)
{
    m_handler = std::move(handler);
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
    const QPointer<QLocalSocket> asker(socket);
    const Answer answer = m_handler ? m_handler(commands) : Answer{};
    QByteArray reply;
    const auto addLines = [&reply](const QString& text, const char* prefix) {
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            reply += prefix + line.toUtf8() + kEnd;
    };
    addLines(answer.output, "1 ");
    addLines(answer.errors, "2 ");
    reply += (answer.ok ? kOk : kFailed) + kEnd;
    // The socket may have gone while the commands were carried out.
    if (!asker || socket->state() != QLocalSocket::ConnectedState)
        return;
    socket->write(reply);
    socket->flush();
    socket->disconnectFromServer();
}
