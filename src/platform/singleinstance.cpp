#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

// Plain Unix sockets rather than QLocalServer: Qt Network would add a dozen libraries to every
// start for one message.

namespace {

constexpr int AnswerMs = 1000;
constexpr int LockPollMs = 10;
// Out of descriptors, a connection waits in the queue this long before the next try.
constexpr int AcceptRetryMs = 500;
const QByteArray ShowRequest = "show\n";

QString runtimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

// False when the path is too long for a socket address.
bool addressOf(const QString &path, sockaddr_un *address)
{
    const QByteArray name = QFile::encodeName(path);
    std::memset(address, 0, sizeof(*address));
    if (name.isEmpty() || size_t(name.size()) >= sizeof(address->sun_path))
        return false;
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, name.constData(), size_t(name.size()));
    return true;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whose is the other end of a connected socket; -1 when that cannot be told.
qint64 peerUid(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return credentials.uid;
}

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent)
    , m_path(QDir::isAbsolutePath(serverName) ? serverName
                                                : QDir(runtimeFolder()).filePath(serverName))
{
}

SingleInstance::~SingleInstance()
{
    if (m_listener >= 0) {
        ::close(m_listener);
        QFile::remove(m_path);
    }
}

QString SingleInstance::defaultServerName()
{
    return runtimeFolder() + QStringLiteral("/wakemere-%1.socket").arg(::getuid());
}

bool SingleInstance::claim()
{
    // Where the runtime folder is missing, the socket sits in /tmp, where any user may have
    // put something at its path first: whatever is not ours is never trusted, never removed,
    // and the program runs unguarded rather than not at all.
    QString problem;
    const int lock = openLock(&problem);
    // Two copies started at once must not both take the socket: the lock orders them. The
    // system drops it with its holder, so a crashed copy leaves none behind. A copy stuck
    // while holding it holds this one up five seconds at most.
    for (int waited = 0; lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0
                         && errno == EWOULDBLOCK && waited < 5 * AnswerMs;
         waited += LockPollMs)
        ::usleep(LockPollMs * 1000);

    const Found found = lock >= 0 ? askRunningCopy(&problem) : Found::Unusable;
    if (found == Found::Nobody)
        listen(&problem);
    if (lock >= 0)
        ::close(lock);
    if (!problem.isEmpty())
        qWarning().noquote() << "Running without the check for another copy:" << problem;
    return found != Found::Shown;
}

int SingleInstance::openLock(QString *problem) const
{
    const QString path = m_path + QStringLiteral(".lock");
    const int lock = ::open(QFile::encodeName(path).constData(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (lock < 0) {
        *problem = QStringLiteral("cannot open %1: %2").arg(path, systemError(errno));
        return -1;
    }
    struct stat file;
    if (::fstat(lock, &file) != 0 || !S_ISREG(file.st_mode) || file.st_uid != ::getuid()) {
        *problem = QStringLiteral("%1 belongs to another user or is no plain file").arg(path);
        ::close(lock);
        return -1;
    }
    return lock;
}

SingleInstance::Found SingleInstance::askRunningCopy(QString *problem) const
{
    sockaddr_un address;
    if (!addressOf(m_path, &address)) {
        *problem = QStringLiteral("cannot listen at %1: the path is too long").arg(m_path);
        return Found::Unusable;
    }
    struct stat file;
    if (::lstat(address.sun_path, &file) != 0) {
        if (errno == ENOENT)
            return Found::Nobody;
        *problem = QStringLiteral("cannot look at %1: %2").arg(m_path, systemError(errno));
        return Found::Unusable;
    }
    if (!S_ISSOCK(file.st_mode)) {
        *problem = QStringLiteral("cannot listen at %1: it is not a socket").arg(m_path);
        return Found::Unusable;
    }
    if (file.st_uid != ::getuid()) {
        *problem = QStringLiteral("%1 belongs to another user").arg(m_path);
        return Found::Unusable;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *problem = QStringLiteral("no socket: %1").arg(systemError(errno));
        return Found::Unusable;
    }
    // A copy that hangs must not hold this one up for long.
    const timeval timeout{AnswerMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    Found found = Found::Nobody;   // nobody answers: a socket left by a crashed copy
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0) {
        if (peerUid(fd) == ::getuid()) {
            ::send(fd, ShowRequest.constData(), size_t(ShowRequest.size()), MSG_NOSIGNAL);
            found = Found::Shown;
        } else {
            *problem = QStringLiteral("the program listening at %1 belongs to another user")
                           .arg(m_path);
            found = Found::Unusable;
        }
    }
    ::close(fd);
    return found;
}

bool SingleInstance::listen(QString *problem)
{
    sockaddr_un address;
    addressOf(m_path, &address);
    // Only a stale socket of ours gets here (see askRunningCopy), or nothing.
    ::unlink(address.sun_path);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0
        || ::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(m_listener, 8) != 0) {
        *problem = QStringLiteral("cannot listen at %1: %2").arg(m_path, systemError(errno));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_listening = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
    return true;
}

void SingleInstance::acceptPeers()
{
    for (;;) {
        const int peer = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the connection stays queued, and the notifier
                // would report it again at once, for ever. Look again a little later.
                m_listening->setEnabled(false);
                QTimer::singleShot(AcceptRetryMs, this, [this] { m_listening->setEnabled(true); });
            }
            return;
        }
        if (peerUid(peer) != ::getuid()) {
            ::close(peer);
            continue;
        }
        auto *notifier = new QSocketNotifier(peer, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this, peer, notifier, received = QByteArray()]() mutable {
                    readPeer(peer, notifier, received);
                });
    }
}

void SingleInstance::readPeer(int peer, QSocketNotifier *notifier, QByteArray &received)
{
    char data[64];
    const ssize_t n = ::read(peer, data, sizeof(data));
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n > 0) {
        received.append(data, n);
        if (!received.contains(ShowRequest) && received.size() < 256)
            return;
        if (received.contains(ShowRequest))
            emit activationRequested();
    }
    // Answered, ended, failed or talking nonsense: the connection is done.
    notifier->setEnabled(false);
    notifier->deleteLater();
    ::close(peer);
}
