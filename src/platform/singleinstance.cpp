#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

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
    // Two copies started at once must not both take the socket: the lock orders them. The
    // system drops it with its holder, so a crashed copy leaves none behind.
    const int lock = ::open(QFile::encodeName(m_path + QStringLiteral(".lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    // A copy stuck while holding it holds this one up five seconds at most.
    for (int waited = 0; lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0
                         && errno == EWOULDBLOCK && waited < 5 * AnswerMs;
         waited += LockPollMs)
        ::usleep(LockPollMs * 1000);

    const bool running = askRunningCopy();
    if (!running)
        listen();   // without a socket it runs on unguarded rather than not at all
    if (lock >= 0)
        ::close(lock);
    return !running;
}

bool SingleInstance::askRunningCopy()
{
    sockaddr_un address;
    if (!addressOf(m_path, &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A copy that hangs must not hold this one up for long.
    const timeval timeout{AnswerMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    const bool running = ::connect(fd, reinterpret_cast<const sockaddr *>(&address),
                                   sizeof(address)) == 0;
    if (running)
        ::send(fd, ShowRequest.constData(), size_t(ShowRequest.size()), MSG_NOSIGNAL);
    ::close(fd);
    return running;
}

bool SingleInstance::listen()
{
    sockaddr_un address;
    if (!addressOf(m_path, &address))
        return false;
    // Nobody answered: a socket left behind by a crashed copy is stale.
    ::unlink(address.sun_path);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return false;
    if (::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return false;
    }
    auto *notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
    return true;
}

void SingleInstance::acceptPeers()
{
    int peer;
    while ((peer = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
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
