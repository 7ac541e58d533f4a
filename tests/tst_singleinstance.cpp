#include "singleinstance.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

/// A socket bound at the path that nobody listens on, as a crashed copy leaves it; -1 if none.
int boundSocket(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0)
        return fd;
    ::close(fd);
    return -1;
}

/// A process of another user listening at the path, through a socket file of ours.
pid_t listenAsNobody(const QString &path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = boundSocket(path);
        if (fd >= 0 && ::syscall(SYS_setresuid, Nobody, Nobody, Nobody) == 0
            && ::listen(fd, 8) == 0 && ::write(ready[1], "+", 1) == 1)
            ::pause();
        _exit(0);
    }
    ::close(ready[1]);
    char answer = 0;
    (void)!::read(ready[0], &answer, 1);   // nothing when the child gave up
    ::close(ready[0]);
    return answer == '+' ? child : -1;
}

} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void whatIsAtThePath_data();
    void whatIsAtThePath();
    void outOfDescriptorsDoesNotSpin();
};

void tst_SingleInstance::whatIsAtThePath_data()
{
    QTest::addColumn<QString>("there");
    QTest::addColumn<QString>("warning");   // what is said on standard error; empty: guarded
    QTest::newRow("nothing") << "nothing" << "";
    QTest::newRow("a stale socket of ours") << "stale" << "";
    QTest::newRow("a plain file") << "file" << "cannot listen at .*: it is not a socket";
    QTest::newRow("a path too long") << "long" << "the path is too long";
    QTest::newRow("a link to a socket") << "link" << "not a socket";
    QTest::newRow("a link as the lock") << "link lock" << "cannot open .*\\.lock";
    QTest::newRow("a socket of another user") << "foreign" << "belongs to another user";
    QTest::newRow("a lock of another user") << "foreign lock" << "belongs to another user";
    QTest::newRow("another user listening") << "foreign listener"
                                            << "listening at .* belongs to another user";
}

void tst_SingleInstance::whatIsAtThePath()
{
    QFETCH(QString, there);
    QFETCH(QString, warning);
    if (there.startsWith("foreign") && ::geteuid() != 0)
        QSKIP("needs root to act as another user");
    QTemporaryDir dir;
    QString name = dir.filePath("instance.socket");
    pid_t other = -1;
    if (there == "stale") {
        QCOMPARE(::close(boundSocket(name)), 0);
    } else if (there == "file") {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (there == "long") {
        name = dir.filePath(QString(120, 'x'));
    } else if (there == "link") {
        QCOMPARE(::close(boundSocket(dir.filePath("elsewhere"))), 0);
        QVERIFY(QFile::link(dir.filePath("elsewhere"), name));
    } else if (there == "link lock") {
        QVERIFY(QFile::link(dir.filePath("elsewhere"), name + ".lock"));
    } else if (there == "foreign") {
        QCOMPARE(::close(boundSocket(name)), 0);
        QCOMPARE(::chown(QFile::encodeName(name).constData(), Nobody, Nobody), 0);
    } else if (there == "foreign lock") {
        QFile lock(name + ".lock");
        QVERIFY(lock.open(QIODevice::WriteOnly));
        QCOMPARE(::fchown(lock.handle(), Nobody, Nobody), 0);
    } else if (there == "foreign listener") {
        other = listenAsNobody(name);
        QVERIFY(other > 0);
    }
    const auto cleanup = qScopeGuard([other] {
        if (other > 0) {
            ::kill(other, SIGKILL);
            ::waitpid(other, nullptr, 0);
        }
    });

    // The first copy always runs; a later one is turned away, and the first shown, only by a
    // guard that works. Once the first has ended, the next copy runs.
    const QRegularExpression said("^Running without the check for another copy: .*" + warning);
    for (int i = 0; i < 2 && !warning.isEmpty(); ++i)
        QTest::ignoreMessage(QtWarningMsg, said);
    auto first = std::make_unique<SingleInstance>(name);
    QSignalSpy shown(first.get(), &SingleInstance::activationRequested);
    QVERIFY(first->claim());
    SingleInstance second(name);
    QCOMPARE(second.claim(), !warning.isEmpty());
    QTRY_COMPARE(shown.count(), warning.isEmpty() ? 1 : 0);
    if (warning.isEmpty()) {
        first.reset();
        QVERIFY(SingleInstance(name).claim());
    }
}

void tst_SingleInstance::outOfDescriptorsDoesNotSpin()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("instance.socket");
    SingleInstance first(name);
    QSignalSpy shown(&first, &SingleInstance::activationRequested);
    QVERIFY(first.claim());
    SingleInstance second(name);
    QVERIFY(!second.claim());   // its request waits in the first copy's queue

    // No descriptor left for the first copy to take the connection with.
    rlimit limit;
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    rlimit none = limit;
    none.rlim_cur = rlim_t(lowestFree);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
    int wakeUps = 0;
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this,
            [&wakeUps] { ++wakeUps; });
    QTest::qWait(300);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    QVERIFY2(wakeUps < 50, qPrintable(QString::number(wakeUps) + " wake-ups in 300 ms"));
    QTRY_COMPARE(shown.count(), 1);   // with descriptors back, the request is served
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
