#include "fakedesk.h"
#include "timeentry.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include <unistd.h>

// The real windows on fakes, driven by their clock handlers while a fake clock moves as the
// timers, a stalled program and the user's clock changes move it.

namespace {

/// Resident memory of this process, in bytes.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

/// One second of the alarm window's own timer, while it counts down.
void countdownSecond(FakeDesk &desk)
{
    if (desk.alarm() && child<QTimer>(desk.alarm(), "Timer1")->isActive())
        desk.alarm()->Timer1_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// Snoozes the alarm window for that many minutes.
void snooze(FakeDesk &desk, const QString &minutes)
{
    desk.click(desk.alarm(), "snooze");
    desk.type(desk.forms.snoozeFormIfLoaded(), "Text1", minutes);
    desk.click(desk.forms.snoozeFormIfLoaded(), "ok");
}

} // namespace

class tst_Simulation : public QObject
{
    Q_OBJECT
private slots:
    void clockMoves_data();
    void clockMoves();
    void daysOfAlarmsEveryMinute();
};

// Alarm1 armed for 7:30:00 AM; ticks at these clock times (a time before the last one is the
// clock set back), then the user answers, then two minutes of seconds go by.
void tst_Simulation::clockMoves_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<bool>("snoozed");   // for a minute; else closed
    QTest::addColumn<int>("windows");    // alarm windows shown
    QTest::addColumn<QStringList>("played");
    const QStringList once = {"/sounds/tea.mp3"};
    QTest::newRow("early, then twice in its second") << int(PlaySound)
        << "07:29:59.998 07:30:00.005 07:30:00.600 07:30:01.005" << false << 1 << once;
    QTest::newRow("set forward over it, snoozed: sounds again") << int(PlaySound)
        << "07:29:58.005 07:30:01.005" << true << 1 << QStringList{once[0], once[0]};
    QTest::newRow("restart set back over it while counting down") << int(RebootComputer)
        << "07:29:59.005 07:30:00.900 07:30:01.005 07:29:59.005 07:30:00.005 07:30:01.005"
        << false << 1 << QStringList();
}

void tst_Simulation::clockMoves()
{
    QFETCH(int, action);
    QFETCH(QString, ticks);
    QFETCH(bool, snoozed);
    FakeDesk desk;
    desk.arm(1, qint16(action), "/sounds/tea.mp3");
    QSignalSpy due(desk.main.data(), &mainfrm::alarmDue);
    int windows = 0;
    const auto tick = [&desk, &windows](const QDateTime &now) {
        const activefrm *before = desk.alarm();
        desk.clock.current = now;
        desk.main->Timer1_Timer();
        windows += desk.alarm() && desk.alarm() != before;
        countdownSecond(desk);
    };
    for (const QString &t : ticks.split(' '))
        tick(QDateTime(desk.clock.current.date(), QTime::fromString(t, "HH:mm:ss.zzz")));
    QCOMPARE(due.count(), 1);
    if (snoozed)
        snooze(desk, "1");
    else
        desk.click(desk.alarm(), "shutoff");
    for (int i = 0; i < 120; ++i)
        tick(desk.clock.current.addSecs(1));
    QTEST(windows, "windows");
    QTEST(desk.sound.played, "played");
    QCOMPARE(due.count(), 1);
    QVERIFY(desk.power.requests.isEmpty());
}

// Three days of an alarm every minute, each action in turn, some snoozed: the windows come and
// go without leaving widgets or memory behind.
void tst_Simulation::daysOfAlarmsEveryMinute()
{
    constexpr int Alarms = 3 * 24 * 60, WarmUp = 300;
    const QStringList files = {"/sounds/a.wav", "/opt/b", "/docs/c.txt", AlarmTable::NoFile,
                               AlarmTable::NoFile, AlarmTable::NoFile};
    FakeDesk desk;
    desk.opener.programs << files[RunProgram];
    QSignalSpy due(desk.main.data(), &mainfrm::alarmDue);
    qint64 before = 0;
    qsizetype widgetsBefore = 0;
    for (int n = 0; n < Alarms; ++n) {
        if (n == WarmUp) {
            before = residentBytes();
            widgetsBefore = QApplication::allWidgets().size();
        }
        const QDateTime dueAt = QDateTime(QDate(2026, 12, 7), QTime(0, 0)).addSecs(60 * n);
        const auto action = qint16(n % 6);
        const int slotNumber = n % AlarmTable::SlotCount + 1;
        desk.arm(slotNumber, action, files[action], QString::number(n));
        AlarmSlot &slot = desk.table.slot(slotNumber);
        const int hour = dueAt.time().hour();
        slot.almHour = qint16(hour % 12 == 0 ? 12 : hour % 12);
        slot.almOffset = offsetFor(slot.almHour, hour < 12);
        slot.almMin = qint16(dueAt.time().minute());

        desk.clock.current = dueAt.addMSecs(-995);
        desk.main->Timer1_Timer();
        desk.clock.current = dueAt.addMSecs(5);
        desk.main->Timer1_Timer();
        QCOMPARE(due.count(), n + 1);
        QCoreApplication::processEvents();
        if (action == PlaySound && n % 4 == 0) {
            snooze(desk, "0");   // the dialog comes and goes, the sound plays again
            countdownSecond(desk);
        } else {
            countdownSecond(desk);
            desk.click(desk.alarm(), "shutoff");
        }
        countdownSecond(desk);
        slot.almHour = 0;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const qint64 grown = residentBytes() - before;
    qInfo("%d alarms: resident memory grew by %.2f MiB after the first %d", Alarms,
          grown / 1048576.0, WarmUp);
    QVERIFY(!desk.alarm());
    QVERIFY(!desk.forms.snoozeFormIfLoaded());
    QCOMPARE(QApplication::allWidgets().size(), widgetsBefore);
    QVERIFY2(grown < 5 * 1048576, "resident memory grew by 5 MiB or more");
    QVERIFY(desk.power.requests.isEmpty());
}

QTEST_MAIN(tst_Simulation)
#include "tst_simulation.moc"
