#include "desktop.h"
#include "logindpowercontrol.h"
#include "systemdsleepcontrol.h"

#include <QtDBus>

// The real sleep and power backends against python3-dbusmock's systemd (session bus, standing in
// for the user's service manager) and logind (system bus) on the virtual test desktop of
// scripts/testdesk --system-bus. The mocks log every call; the test reads the logs.

namespace {

const QString Systemd = QStringLiteral("org.freedesktop.systemd1");
const QString Logind = QStringLiteral("org.freedesktop.login1");
const QDateTime WakeAt(QDate(2026, 12, 8), QTime(7, 29, 30));

/// Calls a method of a manager, whose object path is named as its service.
QDBusMessage call(const QDBusConnection &bus, const QString &service, const QString &interface,
                  const QString &method, const QVariantList &arguments = {})
{
    const QString path = '/' + QString(service).replace('.', '/');
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message);
}

void setVersion(const QString &version)
{
    call(QDBusConnection::sessionBus(), Systemd, "org.freedesktop.DBus.Properties", "Set",
         {Systemd + ".Manager", "Version", QVariant::fromValue(QDBusVariant(version))});
}

/// Makes logind's mock announce that the computer goes to sleep, or has woken.
void prepareForSleep(bool start)
{
    call(QDBusConnection::systemBus(), Logind, "org.freedesktop.DBus.Mock", "EmitSignal",
         {Logind + ".Manager", "PrepareForSleep", "b", QVariantList{start}});
}

/// The locks logind holds now, as "what who mode", from gdbus's print of them:
/// "([('sleep', 'Wakemere', 'Renews ...', 'delay', uint32 0, uint32 12), ('idle', ...)],)".
QStringList inhibitors()
{
    QProcess gdbus;
    gdbus.start("gdbus", {"call", "--system", "-d", Logind, "-o", "/org/freedesktop/login1", "-m",
                          Logind + ".Manager.ListInhibitors"});
    if (!gdbus.waitForFinished(10000) || gdbus.exitCode() != 0)
        return {QString::fromUtf8(gdbus.readAllStandardError())};
    static const QRegularExpression lock("\\('(\\w+)', '(\\w+)', .*?, '(\\w+)', (uint32 )?\\d");
    QStringList found;
    for (auto it = lock.globalMatch(gdbus.readAllStandardOutput()); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        found << match.captured(1) + ' ' + match.captured(2) + ' ' + match.captured(3);
    }
    return found;
}

/// Ends a mock: its service is gone from the bus.
bool stopped(QProcess *mock, const QDBusConnection &bus, const QString &service)
{
    mock->terminate();
    mock->waitForFinished(3000);
    return QTest::qWaitFor([&] { return !bus.interface()->isServiceRegistered(service); });
}

} // namespace

class it_sleep : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void wakeRequestsAtTheManager();
    void locksAroundSleep();
    void wakeProblems();
    void powerRequests_data();
    void powerRequests();

private:
    QStringList calls(const QString &method) const;

    QString m_log;
    QProcess *m_systemd = nullptr;
    QProcess *m_logind = nullptr;
};

void it_sleep::initTestCase()
{
    m_log = qEnvironmentVariable("TESTDESK_DIR") + "/systemd.log";
    m_systemd = new QProcess(this);
    m_systemd->start("/usr/bin/python3",
                     {"-m", "dbusmock", "--session", "-t", "systemd", "-l", m_log});
    m_logind = new QProcess(this);
    m_logind->start("/usr/bin/python3", {"-m", "dbusmock", "--system", "-t", "logind", "-l",
                                         m_log + ".logind"});
    QTRY_VERIFY_WITH_TIMEOUT(
        QDBusConnection::sessionBus().interface()->isServiceRegistered(Systemd), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        QDBusConnection::systemBus().interface()->isServiceRegistered(Logind), 10000);
    setVersion("255 (255.4-1)");   // the mock's own, 246, may not wake
}

/// The calls of a method that systemd's mock logged, with their arguments, such as
/// "1702000000.123 StartTransientUnit "wakemere-wake-1-1.timer" ...".
QStringList it_sleep::calls(const QString &method) const
{
    const QRegularExpression ofMethod("^\\S+ " + method + ' ');
    return contentsOf(m_log).split('\n').filter(ofMethod);
}

void it_sleep::wakeRequestsAtTheManager()
{
    SystemdSleepControl control;
    control.setWakeAt(WakeAt);
    QTRY_VERIFY(!control.currentUnit().isEmpty());
    const QString unit = control.currentUnit();
    QCOMPARE(calls("StartTransientUnit").size(), 1);
    const QString start = calls("StartTransientUnit").first();
    QCOMPARE(start.section('"', 1, 1), unit);
    for (const char *expected : {"'OnCalendar'), dbus.String('2026-12-08 07:29:30')",
                                 "'WakeSystem'), dbus.Boolean(True",
                                 "'ExecStart'), dbus.Array([dbus.Struct((dbus.String('/bin/true')"})
        QVERIFY2(start.contains(expected), expected);
    QCOMPARE(control.wakeProblem(), QString());

    // A new time replaces the request: the old timer stops, a new one starts.
    control.setWakeAt(WakeAt.addSecs(900));
    QTRY_COMPARE(calls("StartTransientUnit").size(), 2);
    QVERIFY(calls("StartTransientUnit").last().contains("2026-12-08 07:44:30"));
    QCOMPARE(calls("StopUnit").size(), 1);
    QVERIFY(calls("StopUnit").first().contains(unit));

    // The same time again asks nothing; no time removes the request.
    control.setWakeAt(WakeAt.addSecs(900));
    control.setWakeAt(QDateTime());
    QTRY_COMPARE(calls("StopUnit").size(), 2);
    QCOMPARE(calls("StartTransientUnit").size(), 2);

    // Ending while the manager still sets up a timer stops that one too.
    control.setWakeAt(WakeAt);
    control.finish();
    QCOMPARE(calls("StopUnit").size(), 3);
    QCOMPARE(calls("StopUnit").last().section('"', 1, 1),
             calls("StartTransientUnit").last().section('"', 1, 1));
}

void it_sleep::locksAroundSleep()
{
    SystemdSleepControl control;
    QSignalSpy resumed(&control, &SleepControl::resumed);
    connect(&control, &SleepControl::aboutToSleep, &control,
            [&control] { control.setWakeAt(WakeAt); });
    control.setArmed(true);
    const QStringList delay{"sleep Wakemere delay"};
    QTRY_COMPARE(inhibitors(), delay);

    // The request renewed, then the lock let go, so that sleep goes on.
    const qsizetype starts = calls("StartTransientUnit").size();
    prepareForSleep(true);
    QTRY_COMPARE(calls("StartTransientUnit").size(), starts + 1);
    QTRY_COMPARE(inhibitors(), QStringList());
    prepareForSleep(false);
    QTRY_COMPARE(resumed.size(), 1);
    QTRY_COMPARE(inhibitors(), delay);

    // No portal runs here: the idle lock is logind's.
    control.setStayAwake(true);
    QTRY_COMPARE(inhibitors(), delay + QStringList{"idle Wakemere block"});
    control.setStayAwake(false);
    control.setArmed(false);
    QTRY_COMPARE(inhibitors(), QStringList());
    control.finish();
}

// The manager takes the request, then fails the timer ("Operation not permitted") as systemd
// 252 does: its version tells why. Where no manager runs, that is told.
void it_sleep::wakeProblems()
{
    const auto problem = [] {
        SystemdSleepControl control;
        control.setWakeAt(WakeAt);
        (void)QTest::qWaitFor([&control] { return !control.wakeProblem().isEmpty(); });
        const QString found = control.wakeProblem();
        control.finish();
        return found;
    };
    setVersion("252 (252.22-1~deb12u1)");
    QVERIFY(problem().contains("version 252"));
    QVERIFY(stopped(m_systemd, QDBusConnection::sessionBus(), Systemd));
    QVERIFY(problem().contains("No systemd user manager"));
}

void it_sleep::powerRequests_data()
{
    QTest::addColumn<QString>("logind");
    QTest::addColumn<PowerControl::Answer>("answer");
    QTest::addColumn<QString>("reason");
    QTest::newRow("shutdown") << "accepts" << PowerControl::Accepted << "";
    QTest::newRow("reboot refused") << "refuses" << PowerControl::Refused << "Access denied";
    QTest::newRow("no logind")   // the last: it ends logind's mock
        << "absent" << PowerControl::Refused
        << "The system's power service (systemd-logind) cannot be reached.";
}

// Asked and waited for at once, as at the end of the program: the request reaches logind
// before the program would be gone, and the answer is logind's.
void it_sleep::powerRequests()
{
    QFETCH(QString, logind);
    LogindPowerControl power;
    QSignalSpy answered(&power, &PowerControl::answered);
    if (logind == "refuses") {
        call(QDBusConnection::systemBus(), Logind, "org.freedesktop.DBus.Mock", "AddMethod",
             {Logind + ".Manager", "Reboot", "b", "", "raise dbus.exceptions.DBusException("
              "'Access denied', name='org.freedesktop.DBus.Error.AccessDenied')"});
        power.reboot();
    } else {
        if (logind == "absent")
            QVERIFY(stopped(m_logind, QDBusConnection::systemBus(), Logind));
        power.powerOff();
    }
    power.waitForAnswer();
    if (logind == "accepts")
        QVERIFY(contentsOf(m_log + ".logind").contains("PowerOff True"));
    QCoreApplication::processEvents();   // reports an answer that has come
    QCOMPARE(answered.count(), 1);
    QTEST(answered.first().at(0).value<PowerControl::Answer>(), "answer");
    QTEST(answered.first().at(1).toString(), "reason");
}

QTEST_GUILESS_MAIN(it_sleep)
#include "it_sleep.moc"
