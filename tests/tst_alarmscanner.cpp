#include "alarmscanner.h"

#include <QTest>

#include <time.h>

namespace {

/// The slot armed for that time of day as the main window stores it: 12-hour with an offset.
void arm(AlarmTable &table, int n, QTime t, int action)
{
    AlarmSlot &slot = table.slot(n);
    slot.almHour = qint16(t.hour() % 12 == 0 ? 12 : t.hour() % 12);
    slot.almMin = qint16(t.minute());
    slot.almSec = qint16(t.second());
    slot.almOffset = t.hour() == 0 ? -12 : t.hour() > 12 ? 12 : 0;
    slot.almAction = qint16(action);
}

/// The process in that time zone for the scope's life.
struct LocalZone
{
    const QByteArray old = qgetenv("TZ");
    explicit LocalZone(const QByteArray &tz) { qputenv("TZ", tz), tzset(); }
    ~LocalZone() { qputenv("TZ", old), tzset(); }
};

} // namespace

class tst_AlarmScanner : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void scan_data();
    void scan();
    void nextDue_data();
    void nextDue();
};

void tst_AlarmScanner::dispatch_data()
{
    QTest::addColumn<QList<int>>("actions");   // per slot 1..5; -1 = due at another time
    QTest::addColumn<QString>("expected");
    QTest::newRow("none due") << QList<int>{-1, -1, -1, -1, -1} << "";
    QTest::newRow("one sound") << QList<int>{-1, 0, -1, -1, -1} << "2:0";
    QTest::newRow("first sound wins") << QList<int>{0, 0, -1, -1, -1} << "1:0";
    QTest::newRow("program ends the scan") << QList<int>{1, 0, -1, -1, -1} << "1:1";
    QTest::newRow("document ends the scan") << QList<int>{-1, 2, 3, -1, -1} << "2:2";
    QTest::newRow("message, shutdown, restart all act")
        << QList<int>{3, 4, 5, -1, -1} << "1:3 2:4 3:5";
    QTest::newRow("restart goes on to a program") << QList<int>{-1, -1, 5, 1, 0} << "3:5 4:1";
    QTest::newRow("unknown action does nothing") << QList<int>{7, 0, -1, -1, -1} << "2:0";
}

void tst_AlarmScanner::dispatch()
{
    QFETCH(QList<int>, actions);
    AlarmTable table;
    // The other slots play a sound at 8:30: never part of the 07:30:00 scan.
    for (int n = 1; n <= 5; ++n)
        arm(table, n, QTime(actions[n - 1] >= 0 ? 7 : 8, 30), qMax(actions[n - 1], 0));
    QStringList due;   // "1:0 2:3": slot 1 with action 0, then slot 2 with action 3
    for (const DueAlarm &alarm : dueAlarms(table, QTime(7, 30)))
        due << QString("%1:%2").arg(alarm.slot).arg(alarm.action);
    QTEST(due.join(' '), "expected");
}

// Ticks in a time zone: the table's slots, the first tick (UTC), then the seconds between
// ticks ("1*3600" is 3600 ticks a second apart; "sleep" and "jump" read the same to the
// scanner). What acted is named by the local time of the tick, what was missed by its due time.
void tst_AlarmScanner::scan_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<QStringList>("armed");   // "hh:mm:ss action" per slot
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    const QByteArray berlin = "Europe/Berlin", newYork = "America/New_York";
    const QStringList seven = {"07:00:00 0"};
    const QStringList five = {"07:00:00 3", "07:00:10 4", "07:00:20 1", "07:00:30 2",
                              "07:00:40 0"};
    // Berlin is UTC+1 in winter: 06:59:58 is 05:59:58Z.
    const QString before = "2026-12-07T05:59:58Z";
    QTest::newRow("on time") << berlin << seven << before << "1 1 1" << "A1 07:00:00";
    QTest::newRow("twice in one second") << berlin << seven << before << "1 1 0 1"
                                         << "A1 07:00:00";
    QTest::newRow("12 AM not at noon") << berlin << QStringList{"00:00:00 0"}
                                       << "2026-12-07T10:59:58Z" << "1 1 1" << "";
    QTest::newRow("7:30:15 PM not in the morning") << berlin << QStringList{"19:30:15 0"}
                                                   << "2026-12-07T06:30:14Z" << "1 1" << "";
    QTest::newRow("first ticks just after it") << berlin << seven << "2026-12-07T06:00:01Z" << "1"
                                               << "";
    QTest::newRow("late tick catches up") << berlin << seven << before << "1 3" << "A1 07:00:02";
    QTest::newRow("woken 60 s late") << berlin << seven << before << "62" << "A1 07:01:00";
    QTest::newRow("woken 61 s late") << berlin << seven << before << "63"
                                     << "M1 12-07 07:00:00";
    QTest::newRow("asleep 3 days, woken for the fourth")
        << berlin << seven << before << QString::number(3 * 86400 + 2)
        << "M1 12-07 07:00:00, M1 12-08 07:00:00, M1 12-09 07:00:00, A1 07:00:00";
    QTest::newRow("five slots, woken within the minute")
        << berlin << five
        << before << "50" << "A1 07:00:48, A2 07:00:48, A3 07:00:48, A4 07:00:48, A5 07:00:48";
    QTest::newRow("five slots, asleep an hour")
        << berlin << five
        << before << "3600"
        << "M1 12-07 07:00:00, M2 12-07 07:00:10, M3 12-07 07:00:20, M4 12-07 07:00:30, "
           "M5 12-07 07:00:40";
    QTest::newRow("first sound of a second wins, also missed")
        << berlin << QStringList{"07:00:00 0", "07:00:00 0"} << before << "3600"
        << "M1 12-07 07:00:00";
    QTest::newRow("clock set back acts not again") << berlin << seven << before << "2 -10 1*20"
                                                   << "A1 07:00:00";
    // Summer time ends: 02:00 to 02:59:59 comes twice.
    QTest::newRow("Berlin autumn, ticking") << berlin << QStringList{"02:30:00 3"}
                                            << "2024-10-27T00:00:00Z" << "1*7200" << "A1 02:30:00";
    QTest::newRow("Berlin autumn, asleep over both") << berlin << QStringList{"02:30:00 3"}
                                                     << "2024-10-27T00:00:00Z" << "7200"
                                                     << "M1 10-27 02:30:00";
    // Summer time begins: 02:00 to 02:59:59 never comes; the alarm acts at 03:00:00.
    QTest::newRow("Berlin spring") << berlin << QStringList{"02:30:00 3", "02:59:59 3"}
                                   << "2024-03-31T00:59:58Z" << "1 1 1"
                                   << "A1 03:00:00, A2 03:00:00";
    QTest::newRow("Berlin spring, woken 30 s after the gap")
        << berlin << QStringList{"02:30:00 3"} << "2024-03-30T23:59:58Z" << "3632"
        << "A1 03:00:30";
    QTest::newRow("New York spring, a day later on time")
        << newYork << QStringList{"02:30:00 0"} << "2024-03-10T06:59:58Z" << "2 84600"
        << "A1 03:00:00, A1 02:30:00";
}

void tst_AlarmScanner::scan()
{
    QFETCH(QByteArray, tz);
    QFETCH(QStringList, armed);
    QFETCH(QString, start);
    QFETCH(QString, steps);
    const LocalZone zone(tz);
    AlarmTable table;
    for (int n = 1; n <= armed.size(); ++n)
        arm(table, n, QTime::fromString(armed[n - 1].left(8)), armed[n - 1].mid(9).toInt());
    AlarmScanner scanner;
    QDateTime now = QDateTime::fromString(start, Qt::ISODate).toLocalTime();
    QStringList events;
    const auto tick = [&] {
        const Scan scan = scanner.advance(table, now);
        for (const MissedAlarm &m : scan.missed)
            events << QString("M%1 %2 %3").arg(m.slot).arg(m.due.date.toString("MM-dd"),
                                                           m.due.time.toString("HH:mm:ss"));
        for (const DueAlarm &a : scan.act)
            events << QString("A%1 %2").arg(a.slot).arg(now.toString("HH:mm:ss"));
    };
    tick();
    for (const QString &step : steps.split(' ')) {
        const QStringList parts = step.split('*');
        for (int i = 0; i < (parts.size() > 1 ? parts[1].toInt() : 1); ++i) {
            now = now.addSecs(parts[0].toInt());
            tick();
        }
    }
    QTEST(events.join(", "), "expected");
}

void tst_AlarmScanner::nextDue_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<QString>("now");   // UTC
    QTest::addColumn<QTime>("slot");
    QTest::addColumn<QString>("expected");   // UTC
    QTest::newRow("now is not next") << QByteArray("Europe/Berlin") << "2026-12-07T06:30:00Z"
                                     << QTime(7, 30) << "2026-12-08T06:30:00Z";
    QTest::newRow("in the spring gap: after it") << QByteArray("Europe/Berlin")
                                                 << "2024-03-30T12:00:00Z" << QTime(2, 30)
                                                 << "2024-03-31T01:00:00Z";
    QTest::newRow("in the autumn hour: the first") << QByteArray("America/New_York")
                                                   << "2024-11-02T12:00:00Z" << QTime(1, 30)
                                                   << "2024-11-03T05:30:00Z";
}

void tst_AlarmScanner::nextDue()
{
    QFETCH(QByteArray, tz);
    QFETCH(QString, now);
    QFETCH(QTime, slot);
    const LocalZone zone(tz);
    AlarmTable table;
    arm(table, 3, slot, DisplayMessage);
    const auto next =
        AlarmScanner::nextDue(table, QDateTime::fromString(now, Qt::ISODate).toLocalTime());
    QTEST(next ? next->toUTC().toString(Qt::ISODate) : QString(), "expected");
}

QTEST_GUILESS_MAIN(tst_AlarmScanner)
#include "tst_alarmscanner.moc"
