#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {

constexpr int AnswerMs = 1000;
const QByteArray ShowRequest = "show\n";

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName)
{
}

QString SingleInstance::defaultServerName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/wakemere-%1.socket").arg(::getuid());
}

bool SingleInstance::claim()
{
    // Two copies started at once must not both take the socket: the lock orders them.
    QLockFile lock(m_serverName + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(5 * AnswerMs);

    if (askRunningCopy())
        return false;

    // Nobody answered: a socket left behind by a crashed copy is stale.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        return true;   // runs on unguarded rather than not at all

    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains(ShowRequest))
                    emit activationRequested();
            });
        }
    });
    return true;
}

bool SingleInstance::askRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(AnswerMs))
        return false;
    socket.write(ShowRequest);
    socket.waitForBytesWritten(AnswerMs);
    socket.disconnectFromServer();
    return true;
}
