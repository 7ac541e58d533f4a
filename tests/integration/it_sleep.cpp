#include "systemdsleepcontrol.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QTest>

#include <signal.h>

// The real sleep backend against python3-dbusmock's systemd (session bus, standing in for the
// user's service manager) and logind (system bus) on the virtual test desktop of
// scripts/testdesk --system-bus. The mocks log every call; the test reads the logs.

namespace {

const QString Mock = QStringLiteral("org.freedesktop.DBus.Mock");

struct Inhibitor
{
    QString what, who, mode;
    bool operator==(const Inhibitor &o) const
    {
        return what == o.what && who == o.who && mode == o.mode;
    }
};

} // namespace

namespace QTest {
template<>
char *toString(const Inhibitor &i)
{
    return qstrdup(qPrintable(i.what + ' ' + i.who + ' ' + i.mode));
}
} // namespace QTest

class it_Sleep : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void wakeRequestsAtTheManager();
    void refusalOfSystemd252();
    void locksAroundSleep();
    void stalledManager();
    void noUserManager();

private:
    QProcess *startMock(const QStringList &args, const QString &log);
    QStringList calls(const QString &log, const QString &method) const;
    QList<Inhibitor> inhibitors() const;
    void setVersion(const QString &version);
    void emitSignal(const QDBusConnection &bus, const QString &path, const QString &iface,
                    const QString &name, const QString &signature, const QVariantList &args);

    QString m_systemdLog, m_logindLog;
    QProcess *m_systemd = nullptr;
    QProcess *m_logind = nullptr;
};

QProcess *it_Sleep::startMock(const QStringList &args, const QString &log)
{
    auto *mock = new QProcess(this);
    mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    mock->start(QStringLiteral("/usr/bin/python3"),
                QStringList{"-m", "dbusmock", "-l", log} + args);
    return mock;
}

void it_Sleep::initTestCase()
{
    const QString dir = qEnvironmentVariable("TESTDESK_DIR");
    QVERIFY(!dir.isEmpty());
    m_systemdLog = dir + "/systemd.log";
    m_logindLog = dir + "/logind.log";
    m_systemd = startMock({"--session", "-t", "systemd"}, m_systemdLog);
    m_logind = startMock({"--system", "-t", "logind"}, m_logindLog);
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                 "org.freedesktop.systemd1"),
                             10000);
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::systemBus().interface()->isServiceRegistered(
                                 "org.freedesktop.login1"),
                             10000);
}

void it_Sleep::cleanupTestCase()
{
    for (QProcess *mock : {m_systemd, m_logind}) {
        mock->terminate();
        mock->waitForFinished(3000);
    }
}

void it_Sleep::init()
{
    setVersion("255 (255.4-1)");
}

QStringList it_Sleep::calls(const QString &log, const QString &method) const
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList found;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        // "1702000000.123 StartTransientUnit "wakemere-wake-1-1.timer" ..."
        const QString call = line.section(' ', 1);
        if (call.startsWith(method + ' ') || call == method)
            found << call;
    }
    return found;
}

QList<Inhibitor> it_Sleep::inhibitors() const
{
    const QDBusMessage reply = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
        "ListInhibitors"));
    QList<Inhibitor> found;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return found;
    const QDBusArgument arg = reply.arguments().first().value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        Inhibitor i;
        QString why;
        uint uid = 0, pid = 0;
        arg.beginStructure();
        arg >> i.what >> i.who >> why >> i.mode >> uid >> pid;
        arg.endStructure();
        found << i;
    }
    arg.endArray();
    return found;
}

void it_Sleep::setVersion(const QString &version)
{
    QDBusMessage set = QDBusMessage::createMethodCall("org.freedesktop.systemd1",
                                                      "/org/freedesktop/systemd1",
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << "org.freedesktop.systemd1.Manager" << "Version"
        << QVariant::fromValue(QDBusVariant(version));
    QDBusConnection::sessionBus().call(set);
}

void it_Sleep::emitSignal(const QDBusConnection &bus, const QString &path, const QString &iface,
                          const QString &name, const QString &signature,
                          const QVariantList &args)
{
    const QString service = iface.section('.', 0, 2);
    QDBusMessage emitCall = QDBusMessage::createMethodCall(service, path, Mock, "EmitSignal");
    emitCall << iface << name << signature << QVariant::fromValue(args);
    const QDBusMessage reply = bus.call(emitCall);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
}

void it_Sleep::wakeRequestsAtTheManager()
{
    SystemdSleepControl control;
    const QDateTime first(QDate(2026, 12, 8), QTime(7, 29, 30));
    control.setWakeAt(first);
    QTRY_COMPARE(calls(m_systemdLog, "StartTransientUnit").size(), 1);
    const QString start = calls(m_systemdLog, "StartTransientUnit").first();
    QTRY_VERIFY(!control.currentUnit().isEmpty());
    const QString unit = control.currentUnit();
    QVERIFY2(unit.startsWith("wakemere-wake-") && unit.endsWith(".timer"), qPrintable(unit));
    for (const QString &expected :
         {QString('"' + unit + '"'), QString("'OnCalendar'), dbus.String('2026-12-08 07:29:30')"),
          QString("'WakeSystem'), dbus.Boolean(True"),
          QString("'AccuracyUSec'), dbus.UInt64(1000000,"),
          QString("'ExecStart'), dbus.Array([dbus.Struct((dbus.String('/bin/true')")})
        QVERIFY2(start.contains(expected), qPrintable(expected + " not in " + start));
    QTRY_COMPARE(control.wakeProblem(), QString());

    // A new time replaces the request: the old timer stops, a new one starts.
    control.setWakeAt(first.addSecs(900));
    QTRY_COMPARE(calls(m_systemdLog, "StartTransientUnit").size(), 2);
    QVERIFY(calls(m_systemdLog, "StartTransientUnit").last().contains("2026-12-08 07:44:30"));
    QCOMPARE(calls(m_systemdLog, "StopUnit").size(), 1);
    QVERIFY(calls(m_systemdLog, "StopUnit").first().contains(unit));

    // The same time again asks nothing; no time removes it; ending removes it too.
    control.setWakeAt(first.addSecs(900));
    control.setWakeAt(QDateTime());
    QTRY_COMPARE(calls(m_systemdLog, "StopUnit").size(), 2);
    QCOMPARE(calls(m_systemdLog, "StartTransientUnit").size(), 2);
    // Ending while the manager is still setting up the timer stops that one.
    control.setWakeAt(first);
    control.finish();
    QCOMPARE(calls(m_systemdLog, "StartTransientUnit").size(), 3);
    QCOMPARE(calls(m_systemdLog, "StopUnit").size(), 3);
    QCOMPARE(calls(m_systemdLog, "StopUnit").last().section('"', 1, 1),
             calls(m_systemdLog, "StartTransientUnit").last().section('"', 1, 1));
}

void it_Sleep::refusalOfSystemd252()
{
    setVersion("252 (252.22-1~deb12u1)");
    SystemdSleepControl control;
    control.setWakeAt(QDateTime(QDate(2026, 12, 8), QTime(7, 29, 30)));
    QTRY_VERIFY(!control.currentUnit().isEmpty());
    // systemd 252 accepts the unit, then fails it: "Operation not permitted".
    emitSignal(QDBusConnection::sessionBus(), "/org/freedesktop/systemd1",
               "org.freedesktop.systemd1.Manager", "JobRemoved", "uoss",
               {99u, QVariant::fromValue(QDBusObjectPath("/org/freedesktop/systemd1/job/99")),
                control.currentUnit(), QString("failed")});
    QTRY_VERIFY2(control.wakeProblem().contains("version 252"), qPrintable(control.wakeProblem()));
    control.finish();
}

void it_Sleep::locksAroundSleep()
{
    const Inhibitor delay{"sleep", "Wakemere", "delay"};
    const Inhibitor idle{"idle", "Wakemere", "block"};
    SystemdSleepControl control;
    QSignalSpy sleeping(&control, &SleepControl::aboutToSleep);
    QSignalSpy resumed(&control, &SleepControl::resumed);
    connect(&control, &SleepControl::aboutToSleep, &control,
            [&control] { control.setWakeAt(QDateTime(QDate(2026, 12, 8), QTime(7, 29, 30))); });

    control.setArmed(true);
    QTRY_COMPARE(inhibitors(), QList<Inhibitor>{delay});
    const int starts = calls(m_systemdLog, "StartTransientUnit").size();
    emitSignal(QDBusConnection::systemBus(), "/org/freedesktop/login1",
               "org.freedesktop.login1.Manager", "PrepareForSleep", "b", {true});
    QTRY_COMPARE(sleeping.size(), 1);
    // The request renewed, then the lock let go, so that sleep goes on.
    QTRY_COMPARE(calls(m_systemdLog, "StartTransientUnit").size(), starts + 1);
    QTRY_COMPARE(inhibitors(), QList<Inhibitor>());
    emitSignal(QDBusConnection::systemBus(), "/org/freedesktop/login1",
               "org.freedesktop.login1.Manager", "PrepareForSleep", "b", {false});
    QTRY_COMPARE(resumed.size(), 1);
    QTRY_COMPARE(inhibitors(), QList<Inhibitor>{delay});

    // No portal runs here: the idle lock is logind's.
    control.setStayAwake(true);
    QTRY_COMPARE(inhibitors(), (QList<Inhibitor>{delay, idle}));
    control.setStayAwake(false);
    control.setArmed(false);
    QTRY_COMPARE(inhibitors(), QList<Inhibitor>());
    for (const QString &call : calls(m_logindLog, "Inhibit"))
        QVERIFY2(!call.contains("\"sleep\"") || call.contains("\"delay\""), qPrintable(call));
    control.finish();
}

void it_Sleep::stalledManager()
{
    // A manager that answers nobody: no call waits on it (a blocking one would take 25 s), and
    // the end waits only briefly.
    SystemdSleepControl control;
    QCOMPARE(::kill(pid_t(m_systemd->processId()), SIGSTOP), 0);
    const auto resume = qScopeGuard([this] { ::kill(pid_t(m_systemd->processId()), SIGCONT); });
    QElapsedTimer passed;
    passed.start();
    control.setArmed(true);
    control.setWakeAt(QDateTime(QDate(2026, 12, 8), QTime(7, 29, 30)));
    control.setStayAwake(true);
    QVERIFY2(passed.elapsed() < 2000, qPrintable(QString::number(passed.elapsed())));
    passed.restart();
    control.finish();
    QVERIFY2(passed.elapsed() < 5000, qPrintable(QString::number(passed.elapsed())));
}

void it_Sleep::noUserManager()
{
    m_systemd->terminate();
    m_systemd->waitForFinished(3000);
    QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
        "org.freedesktop.systemd1"));
    SystemdSleepControl control;
    control.setWakeAt(QDateTime(QDate(2026, 12, 8), QTime(7, 29, 30)));
    QTRY_VERIFY2(control.wakeProblem().contains("No systemd user manager"),
                 qPrintable(control.wakeProblem()));
    control.finish();
}

QTEST_GUILESS_MAIN(it_Sleep)
#include "it_sleep.moc"
