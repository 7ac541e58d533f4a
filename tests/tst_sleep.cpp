#include "fakedesk.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTreeWidget>

// The clock's dispatch across sleep and clock jumps, on fakes: what acts, what is reported as
// missed and why, and the wake-up request and locks kept with the system.

namespace {

const QDate Day(2026, 12, 7);

/// The lines of the missed alarms window, "Alarm1|Play Sound|the computer was asleep".
QStringList missedLines(const FakeDesk &desk)
{
    QStringList lines;
    if (missedfrm *window = desk.forms.missedFormIfLoaded()) {
        auto *list = child<QTreeWidget>(window, "List1");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            lines << QStringList{item->text(0), item->text(2), item->text(3), item->text(4)}
                         .join('|');
        }
    }
    return lines;
}

} // namespace

class tst_Sleep : public QObject
{
    Q_OBJECT
private slots:
    void resume_data();
    void resume();
    void laterMissUpdatesTheWindow();
    void wakeRequestFollowsTheSlots();
};

// Alarm1 armed for 7:30:00 AM; the last tick at 7:29:58, then the steps, then two ticks.
void tst_Sleep::resume_data()
{
    QTest::addColumn<int>("action");
    // s: the computer sleeps; j: the clock is set forward (seconds); z, r: the system says it
    // goes to sleep, has resumed; t: a tick
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("problem");   // why the wake-up request failed
    QTest::addColumn<QStringList>("missed");
    QTest::addColumn<QString>("wakeText");
    const QString asleep = "Alarm1|Play Sound|wake up|the computer was asleep";
    const QString forward = "Alarm1|Play Sound|wake up|the clock was set forward";
    QTest::newRow("woken in time") << int(PlaySound) << "s2" << "" << QStringList() << "";
    QTest::newRow("asleep, told by the system") << int(PlaySound) << "z j7200 r" << ""
                                                << QStringList{asleep} << "";
    QTest::newRow("told, a tick before it sleeps") << int(PlaySound) << "z j1 t j7200" << ""
                                                   << QStringList{asleep} << "";
    QTest::newRow("asleep, wake-up refused")
        << int(PlaySound) << "s7200" << "systemd 252 is too old" << QStringList{asleep}
        << "The computer could not be woken for them: systemd 252 is too old";
    QTest::newRow("no late program, clock set forward")
        << int(RunProgram) << "j3600" << ""
        << QStringList{"Alarm1|Run Program|wake up|the clock was set forward"} << "";
    QTest::newRow("a short sleep, then set forward") << int(PlaySound) << "z r j3600" << ""
                                                     << QStringList{forward} << "";
}

void tst_Sleep::resume()
{
    QFETCH(int, action);
    QFETCH(QString, steps);
    QFETCH(QString, problem);
    QFETCH(QStringList, missed);
    FakeDesk desk;
    desk.sleep.problem = problem;
    desk.opener.programs << "/tmp/alarm";
    desk.arm(1, qint16(action), "/tmp/alarm", "wake up");
    QSignalSpy due(desk.main.data(), &mainfrm::alarmDue);
    desk.tickAt(QTime(7, 29, 58));
    for (const QString &step : steps.split(' ')) {
        const int secs = step.mid(1).toInt();
        if (step[0] == 's')
            desk.clock.sleep(secs * 1000);
        else if (step[0] == 'j')
            desk.clock.advance(secs * 1000);
        else if (step[0] == 'z')
            emit desk.sleep.aboutToSleep();
        else if (step[0] == 'r')
            emit desk.sleep.resumed();   // it looks at the clock before any tick
        else
            desk.main->Timer1_Timer();
    }
    desk.main->Timer1_Timer();
    desk.main->Timer1_Timer();

    QCOMPARE(due.count(), missed.isEmpty() ? 1 : 0);
    QCOMPARE(missedLines(desk), missed);
    if (!missed.isEmpty()) {
        QVERIFY(desk.sound.played.isEmpty());
        QVERIFY(desk.opener.ran.isEmpty());
        QVERIFY(!desk.alarm());
        auto *wake = child<QLabel>(desk.forms.missedFormIfLoaded(), "wakelbl");
        QTEST(wake->isVisibleTo(desk.forms.missedFormIfLoaded()) ? wake->text() : QString(),
              "wakeText");
    }
}

void tst_Sleep::laterMissUpdatesTheWindow()
{
    FakeDesk desk;
    desk.arm(1, DisplayMessage, AlarmTable::NoFile, "one");
    desk.arm(2, DisplayMessage, AlarmTable::NoFile, "two");
    desk.table.slot(2).almMin = 45;
    desk.tickAt(QTime(7, 0));
    desk.clock.sleep(40 * 60 * 1000);   // past Alarm1 only
    desk.main->Timer1_Timer();
    QPointer<missedfrm> window = desk.forms.missedFormIfLoaded();
    QVERIFY(window);
    desk.clock.advance(24 * 3600 * 1000);   // a day later: both missed, Alarm1 again
    desk.main->Timer1_Timer();
    QCOMPARE(desk.forms.missedFormIfLoaded(), window.data());
    QCOMPARE(missedLines(desk),
             QStringList({"Alarm1|Display Message|one|the clock was set forward",
                          "Alarm2|Display Message|two|the clock was set forward"}));
    QCOMPARE(child<QTreeWidget>(window, "List1")->topLevelItem(0)->text(1),
             QString("Tue 8 Dec 2026 7:30:00 AM"));

    // Escape unloads it like OK; the next miss opens a fresh one.
    QTest::keyClick(window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
    desk.clock.advance(24 * 3600 * 1000);
    desk.main->Timer1_Timer();
    QVERIFY(desk.forms.missedFormIfLoaded());

    // The main window unloaded: no clock, so no wake-up request, and no report keeps the
    // program on.
    QVERIFY(desk.sleep.wakeAt.isValid());
    child<QAction>(desk.main, "mnuFileExit")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!desk.main);
    QVERIFY(!desk.sleep.wakeAt.isValid());
    QVERIFY(!desk.forms.missedFormIfLoaded());
}

void tst_Sleep::wakeRequestFollowsTheSlots()
{
    FakeDesk desk;
    desk.tickAt(QTime(7, 0));
    QVERIFY(!desk.sleep.wakeAt.isValid());
    QVERIFY(!desk.sleep.armed);

    desk.arm(1, PlaySound, "/tmp/alarm.wav");
    desk.tickAt(QTime(7, 0, 1));
    QCOMPARE(desk.sleep.wakeAt, QDateTime(Day, QTime(7, 29, 30)));
    QVERIFY(desk.sleep.armed);
    QVERIFY(!desk.sleep.stayAwake);

    desk.arm(2, DisplayMessage, AlarmTable::NoFile);
    desk.table.slot(2).almMin = 10;
    desk.tickAt(QTime(7, 0, 2));
    QCOMPARE(desk.sleep.wakeAt, QDateTime(Day, QTime(7, 9, 30)));

    desk.table.slot(2) = AlarmSlot();   // disarmed
    desk.tickAt(QTime(7, 28, 59));
    QVERIFY(!desk.sleep.stayAwake);
    desk.tickAt(QTime(7, 29, 0));
    QVERIFY(desk.sleep.stayAwake);   // a minute before its alarm
    desk.tickAt(QTime(7, 29, 31));
    QCOMPARE(desk.sleep.wakeAt, QDateTime(Day, QTime(7, 30)));   // never a time gone by
    desk.fire();
    QVERIFY(!desk.sleep.stayAwake);   // it has acted
    QCOMPARE(desk.sleep.wakeAt, QDateTime(Day.addDays(1), QTime(7, 29, 30)));

    // Before sleep the request is renewed from the table as it stands.
    desk.table.slot(1).almMin = 45;
    emit desk.sleep.aboutToSleep();
    QCOMPARE(desk.sleep.wakeAt, QDateTime(Day, QTime(7, 44, 30)));

    desk.table.slot(1) = AlarmSlot();
    desk.tickAt(QTime(7, 31));
    QVERIFY(!desk.sleep.wakeAt.isValid());
    QVERIFY(!desk.sleep.armed);
}

QTEST_MAIN(tst_Sleep)
#include "tst_sleep.moc"
