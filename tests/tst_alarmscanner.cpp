#include "alarmscanner.h"
#include "secondtracker.h"

#include <QTest>

namespace {

const QDate Day(2026, 12, 7);

void arm(AlarmTable &table, int n, int hour, int minute, int second, double offset, int action)
{
    AlarmSlot &slot = table.slot(n);
    slot.almHour = qint16(hour);
    slot.almMin = qint16(minute);
    slot.almSec = qint16(second);
    slot.almOffset = offset;
    slot.almAction = qint16(action);
}

// "1:0 2:3" = slot 1 with action 0, then slot 2 with action 3.
QString describe(const QList<DueAlarm> &due)
{
    QStringList parts;
    for (const DueAlarm &alarm : due)
        parts << QString("%1:%2").arg(alarm.slot).arg(alarm.action);
    return parts.join(' ');
}

// "06:59:58 06:59:59" for the whole seconds a tick examines.
QString describe(const QList<QDateTime> &seconds)
{
    QStringList parts;
    for (const QDateTime &second : seconds)
        parts << second.time().toString(second.time().msec() ? "HH:mm:ss.zzz" : "HH:mm:ss");
    return parts.join(' ');
}

} // namespace

class tst_AlarmScanner : public QObject
{
    Q_OBJECT
private slots:
    void isDue_data();
    void isDue();
    void dispatch_data();
    void dispatch();
    void tracker_data();
    void tracker();
    void noSlotActsTwiceForOneSecond();
};

void tst_AlarmScanner::isDue_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<double>("offset");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("due");
    QTest::newRow("12 AM not at noon") << 12 << 0 << 0 << -12.0 << QTime(12, 0) << false;
    QTest::newRow("7:30:15 PM not in the morning") << 7 << 30 << 15 << 12.0
                                                   << QTime(7, 30, 15) << false;
    QTest::newRow("unset at noon") << 0 << 0 << 0 << 12.0 << QTime(12, 0) << false;
    QTest::newRow("deactivated 12 AM slot at midnight") << 0 << 0 << 0 << -12.0 << QTime(0, 0)
                                                        << false;
}

void tst_AlarmScanner::isDue()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(double, offset);
    QFETCH(QTime, now);
    AlarmSlot slot;
    slot.almHour = qint16(hour);
    slot.almMin = qint16(minute);
    slot.almSec = qint16(second);
    slot.almOffset = offset;
    QTEST(::isDue(slot, now), "due");
}

void tst_AlarmScanner::dispatch_data()
{
    QTest::addColumn<QList<int>>("actions");   // per slot 1..5; -1 = due at another time
    QTest::addColumn<QString>("expected");
    QTest::newRow("none due") << QList<int>{-1, -1, -1, -1, -1} << "";
    QTest::newRow("one sound") << QList<int>{-1, 0, -1, -1, -1} << "2:0";
    QTest::newRow("first sound wins") << QList<int>{0, 0, -1, -1, -1} << "1:0";
    QTest::newRow("program ends the scan") << QList<int>{1, 0, -1, -1, -1} << "1:1";
    QTest::newRow("document ends the scan") << QList<int>{-1, 2, 3, -1, -1} << "2:2";
    QTest::newRow("message goes on to a sound") << QList<int>{3, 0, -1, -1, -1} << "1:3 2:0";
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
        arm(table, n, actions[n - 1] >= 0 ? 7 : 8, 30, 0, 0, qMax(actions[n - 1], 0));
    QTEST(describe(dueAlarms(table, QTime(7, 30))), "expected");
}

void tst_AlarmScanner::tracker_data()
{
    // Ticks at these offsets in milliseconds from 07:00:00.000; the last tick is checked.
    QTest::addColumn<QList<int>>("ticks");
    QTest::addColumn<QString>("examined");
    QTest::newRow("first tick examines its second") << QList<int>{5} << "07:00:00";
    QTest::newRow("next second") << QList<int>{5, 1005} << "07:00:01";
    QTest::newRow("twice in one second") << QList<int>{5, 1005, 1900} << "";
    QTest::newRow("late tick catches up") << QList<int>{5, 2300} << "07:00:01 07:00:02";
    QTest::newRow("stall of three seconds") << QList<int>{5, 4005}
                                            << "07:00:01 07:00:02 07:00:03 07:00:04";
    QTest::newRow("gap of five is caught up") << QList<int>{5, 5005}
                                              << "07:00:01 07:00:02 07:00:03 07:00:04 07:00:05";
    QTest::newRow("longer gap is skipped") << QList<int>{5, 6005} << "07:00:06";
    QTest::newRow("clock set forward an hour") << QList<int>{5, 3600005} << "08:00:00";
    QTest::newRow("clock set back restarts there") << QList<int>{5, 10005, 3005} << "07:00:03";
    QTest::newRow("after set back, on from there") << QList<int>{5, 10005, 3005, 4005}
                                                   << "07:00:04";
}

void tst_AlarmScanner::tracker()
{
    QFETCH(QList<int>, ticks);
    SecondTracker tracker;
    QList<QDateTime> last;
    for (int offset : ticks)
        last = tracker.advance(QDateTime(Day, QTime(7, 0)).addMSecs(offset));
    QTEST(describe(last), "examined");
}

void tst_AlarmScanner::noSlotActsTwiceForOneSecond()
{
    AlarmTable table;
    arm(table, 1, 7, 30, 0, 0, DisplayMessage);
    arm(table, 2, 7, 30, 0, 0, PlaySound);
    AlarmScanner scanner;
    const QDateTime due(Day, QTime(7, 30));
    QCOMPARE(describe(scanner.scan(table, due)), QString("1:3 2:0"));
    QCOMPARE(describe(scanner.scan(table, due)), QString(""));   // the clock was set back
    QCOMPARE(describe(scanner.scan(table, due.addSecs(1))), QString(""));
    QCOMPARE(describe(scanner.scan(table, due.addDays(1))), QString("1:3 2:0"));   // next day
}

QTEST_GUILESS_MAIN(tst_AlarmScanner)
#include "tst_alarmscanner.moc"
