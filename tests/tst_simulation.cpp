#include "fakedesk.h"
#include "alarmscanner.h"
#include "timeentry.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

// The real main window, alarm window and dialogs on fakes, driven through simulated days by
// calling their clock handlers while a fake clock moves, as the timers would.

namespace {

const QDate Day(2026, 12, 7);

QDateTime at(const QDate &date, int h, int m, int s)
{
    return QDateTime(date, QTime(h, m, s));
}

QDateTime on(int h, int m, int s)
{
    return at(Day, h, m, s);
}

/// What the simulated user does a few seconds after an alarm window came up.
enum class Answer { Close, SnoozeOneMinute };

/// An alarm armed from the main window as the user does it: pick the slot and the action,
/// BROWSE for the file or type the message, type the time, pick AM or PM, press Activate.
struct Arming
{
    QDateTime when;
    int slot;
    QString hour, minute, second;
    bool pm;
    qint16 action;
    QString file;      // chosen with BROWSE
    QString message;   // typed into "Set Message"
};

/// When an armed slot falls due, and how the user answers its alarm window.
struct Due
{
    int slot;
    QDateTime when;
    Answer answer = Answer::Close;
};

/// An alarm window that came on screen: for which slot, at what clock time, and whether the
/// slot's action was carried out with it.
struct Act
{
    int slot;
    QDateTime when;
    bool carriedOut;
};

/// Resident memory of this process, in bytes.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

/// The program's windows on fakes; records every alarm window that is shown.
struct Desk : QObject, FakeDesk
{
    QList<Act> acts;
    // What the clock decided, as a check on the windows: a shutdown or restart alarm that falls
    // due again while its window is still open shows no new window.
    QList<Act> decisions;
    qint64 ticks = 0;

    Desk()
    {
        qApp->installEventFilter(this);
        connect(main, &mainfrm::alarmDue, this,
                [this](int slot) { decisions.append({slot, clock.current, true}); });
    }
    ~Desk() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // What went out is judged once the tick that showed the window is over.
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("activefrm")) {
            acts.append({table.firedAlm, clock.current, false});
            m_shown = static_cast<QWidget *>(watched);
        }
        return false;
    }
    void settle()
    {
        if (m_shown)
            acts.last().carriedOut = carriedOut(m_shown);
        m_shown = nullptr;
    }

    /// Whether the action of the slot that fell due went out, as far as the fakes can tell.
    bool carriedOut(QWidget *alarmWindow) const
    {
        if (table.firedAlm < 1 || table.firedAlm > AlarmTable::SlotCount)
            return false;
        const AlarmSlot &slot = table.slot(table.firedAlm);
        switch (slot.almAction) {
        case PlaySound:
            return sound.playing && sound.last() == slot.almFile;
        case RunProgram:
            return !opener.ran.isEmpty() && opener.ran.last() == slot.almFile;
        case OpenFile:
            return !opener.opened.isEmpty() && opener.opened.last() == slot.almFile;
        case DisplayMessage:
            return child<QLabel>(alarmWindow, "Label1")->text() == slot.almMsg;
        case ShutdownWindows:
        case RebootComputer:
            return child<QTimer>(alarmWindow, "Timer1")->isActive()
                   && child<QLabel>(alarmWindow, "Label1")->text() == slot.almMsg;
        default:
            return false;
        }
    }

    void arm(const Arming &a)
    {
        pick("Combo2", a.slot - 1);
        pick("Combo1", a.action);
        if (a.action == DisplayMessage) {
            type(forms.messageFormIfLoaded(), "Text1", a.message);
            click(forms.messageFormIfLoaded(), "ok");
        }
        if (!a.file.isEmpty()) {
            dialogs.nextFile = a.file;
            click(main, "browse");
        }
        type(main, "hourtb", a.hour);
        type(main, "min", a.minute);
        type(main, "secs", a.second);
        child<QRadioButton>(main, a.pm ? "Option2" : "Option1")->click();
        click(main, "activate");
    }
    void disarm(int slot)
    {
        pick("Combo2", slot - 1);
        click(main, "Command2");
    }

    void tick(const QDateTime &now)
    {
        clock.current = now;
        main->Timer1_Timer();
        settle();
        ++ticks;
    }
    /// One second of the alarm window's own timer, while it counts down.
    void countdownSecond()
    {
        activefrm *alarm = forms.activeFormIfLoaded();
        if (alarm && child<QTimer>(alarm, "Timer1")->isActive())
            alarm->Timer1_Timer();
        settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void answer(Answer how)
    {
        activefrm *alarm = forms.activeFormIfLoaded();
        if (!alarm || !alarm->isVisible())
            return;
        if (how == Answer::Close) {
            click(alarm, "shutoff");
            return;
        }
        click(alarm, "snooze");
        type(forms.snoozeFormIfLoaded(), "Text1", QStringLiteral("1"));
        click(forms.snoozeFormIfLoaded(), "ok");
    }

private:
    QPointer<QWidget> m_shown;  // the alarm window shown by the tick under way
};

/// The tick times within one clock second, in milliseconds from its start: the clock's timer
/// lands just after each second, except where the day's script says otherwise.
QList<int> ticksIn(const QDateTime &second)
{
    const QTime t = second.time();
    if (t == QTime(6, 30, 0))
        return {900};                       // late
    if (t == QTime(12, 0, 0))
        return {-2, 5, 600};                // early, then twice in the second
    if (t >= QTime(17, 45, 29) && t <= QTime(17, 45, 31))
        return {};                          // a stall of three seconds
    if (t == QTime(17, 45, 32))
        return {300};
    return {5 + int(second.toSecsSinceEpoch() % 3)};
}

/// A setting of the clock: after `from` the clock reads `to`, once.
struct Jump
{
    QDateTime from;
    QDateTime to;
};

} // namespace

class tst_Simulation : public QObject
{
    Q_OBJECT
private slots:
    void wholeDay();
    void daysOfAlarmsEveryMinute();
};

void tst_Simulation::wholeDay()
{
    const QString midnight = QStringLiteral("/sounds/midnight.wav");
    const QString tea = QStringLiteral("/sounds/tea.mp3");
    const QString backup = QStringLiteral("/opt/backup/run");
    const QList<Arming> armings = {
        {at(Day.addDays(-1), 23, 59, 50), 1, "12", "00", "00", false, PlaySound, midnight, {}},
        {on(0, 10, 0), 2, "6", "30", "00", false, DisplayMessage, {}, "Get up"},
        {on(0, 20, 0), 3, "9", "30", "00", false, RunProgram, backup, {}},
        {on(0, 30, 0), 4, "12", "00", "00", true, OpenFile, "/docs/agenda.txt", {}},
        {on(0, 40, 0), 5, "5", "45", "30", true, ShutdownWindows, {}, {}},
        {on(7, 0, 0), 2, "1", "00", "00", true, RebootComputer, {}, {}},
        {on(11, 0, 0), 3, "4", "00", "00", true, PlaySound, tea, {}},
        {on(12, 30, 0), 4, "8", "15", "00", true, DisplayMessage, {}, "Call home"},
        {on(18, 0, 0), 5, "11", "00", "00", true, OpenFile, "/docs/late.pdf", {}},
    };
    const QDateTime disarmSlot5 = on(22, 30, 0);
    QList<Jump> jumps = {
        {on(10, 0, 30), on(9, 0, 31)},     // set back an hour, over the 9:30 alarm
        {on(13, 0, 1), on(12, 59, 59)},    // set back two seconds, over the 1 PM alarm
        {on(15, 59, 58), on(16, 0, 1)},    // set forward three seconds, over the 4 PM alarm
        {on(21, 0, 0), on(21, 30, 0)},     // set forward half an hour
    };
    const QList<Due> due = {
        {1, on(0, 0, 0)},
        {2, on(6, 30, 0)},
        {3, on(9, 30, 0)},
        {4, on(12, 0, 0)},
        {2, on(13, 0, 0)},
        {3, on(16, 0, 0), Answer::SnoozeOneMinute},
        {5, on(17, 45, 30)},
        {4, on(20, 15, 0)},
        {1, at(Day.addDays(1), 0, 0, 0)},
    };
    const QDateTime end = at(Day.addDays(1), 0, 0, 10);

    Desk desk;
    desk.opener.programs << backup;
    QList<Arming> toArm = armings;
    qint64 answerAt = -1;   // the user answers the alarm window at this second
    Answer answer = Answer::Close;
    qint64 elapsed = 0;
    for (QDateTime second = armings.first().when; second <= end; ++elapsed) {
        if (!toArm.isEmpty() && toArm.first().when == second)
            desk.arm(toArm.takeFirst());
        if (second == disarmSlot5)
            desk.disarm(5);

        const qsizetype shown = desk.acts.size();
        for (int ms : ticksIn(second))
            desk.tick(second.addMSecs(ms));
        if (desk.acts.size() > shown) {
            const Act &act = desk.acts.last();
            answer = Answer::Close;
            for (const Due &d : due) {
                if (d.slot == act.slot && d.when.date() == act.when.date()
                    && d.when.time().msecsTo(act.when.time()) >= 0
                    && d.when.secsTo(act.when) <= AlarmScanner::ActLate)
                    answer = d.answer;
            }
            answerAt = elapsed + 5;
        }
        desk.countdownSecond();
        if (answerAt == elapsed)
            desk.answer(answer);

        second = second.addSecs(1);
        if (!jumps.isEmpty() && jumps.first().from.addSecs(1) == second)
            second = jumps.takeFirst().to;
    }
    QVERIFY(toArm.isEmpty());
    QVERIFY(jumps.isEmpty());

    int missed = 0, doubled = 0, acted = 0;
    QList<Act> unexpected = desk.acts + desk.decisions;
    for (const Due &d : due) {
        const auto matches = [&d](const Act &act) {
            const qint64 late = d.when.secsTo(act.when);
            return act.slot == d.slot && act.carriedOut && late >= 0
                   && late <= AlarmScanner::ActLate;
        };
        const auto times = std::count_if(desk.acts.cbegin(), desk.acts.cend(), matches);
        const auto decided =
            std::count_if(desk.decisions.cbegin(), desk.decisions.cend(), matches);
        unexpected.removeIf(matches);
        acted += int(times);
        missed += times == 0;
        doubled += times > 1 || decided > 1;
        if (times != 1 || decided != 1)
            qWarning("slot %d due at %s acted %d times, decided %d times", d.slot,
                     qPrintable(d.when.toString(Qt::ISODate)), int(times), int(decided));
    }
    for (const Act &act : unexpected)
        qWarning("unexpected alarm of slot %d at %s%s", act.slot,
                 qPrintable(act.when.toString(Qt::ISODateWithMs)),
                 act.carriedOut ? "" : " without its action");
    qInfo("simulated day: %d alarms due, %d acted, %d missed, %d doubled, %d unexpected "
          "(%lld ticks in %lld seconds)",
          int(due.size()), acted, missed, doubled, int(unexpected.size()), desk.ticks, elapsed);

    QCOMPARE(missed, 0);
    QCOMPARE(doubled, 0);
    QCOMPARE(unexpected.size(), 0);
    QCOMPARE(acted, due.size());
    // Each sound alarm played once, and the snoozed one again when its minute was up.
    QCOMPARE(desk.sound.played, QStringList({midnight, tea, tea, midnight}));
    QCOMPARE(desk.opener.ran, QStringList{backup});
    QCOMPARE(desk.opener.opened, QStringList{"/docs/agenda.txt"});
    QVERIFY(desk.power.requests.isEmpty());
    QCOMPARE(desk.lifecycle.quits, 0);
    QCOMPARE(desk.dialogs.errors, QStringList());
}

void tst_Simulation::daysOfAlarmsEveryMinute()
{
    constexpr int Days = 3;
    constexpr int WarmUp = 300;
    const QStringList files = {QStringLiteral("/sounds/a.wav"), QStringLiteral("/opt/b"),
                               QStringLiteral("/docs/c.txt"), AlarmTable::NoFile,
                               AlarmTable::NoFile, AlarmTable::NoFile};
    Desk desk;
    desk.opener.programs << files[RunProgram];

    qint64 before = 0;
    qsizetype widgetsBefore = 0;
    int snoozes = 0;
    const QDateTime start = on(0, 0, 0);
    const int alarms = Days * 24 * 60;
    for (int n = 0; n < alarms; ++n) {
        if (n == WarmUp) {
            before = residentBytes();
            widgetsBefore = QApplication::allWidgets().size();
        }
        const QDateTime dueAt = start.addSecs(60 * qint64(n));
        const int slotNumber = n % AlarmTable::SlotCount + 1;
        const auto action = qint16(n % 6);
        AlarmSlot &slot = desk.table.slot(slotNumber);
        const int hour = dueAt.time().hour();
        slot.almHour = qint16(hour % 12 == 0 ? 12 : hour % 12);
        slot.almOffset = offsetFor(slot.almHour, hour < 12);
        slot.almMin = qint16(dueAt.time().minute());
        slot.almSec = 0;
        slot.almAction = action;
        slot.almFile = files[action];
        slot.almMsg = action >= DisplayMessage ? QStringLiteral("Minute %1").arg(n) : QString();
        desk.table.scanOn = 1;

        const qsizetype shown = desk.acts.size();
        desk.tick(dueAt.addMSecs(-995));
        desk.tick(dueAt.addMSecs(5));
        QCOMPARE(desk.acts.size(), shown + 1);
        QVERIFY2(desk.acts.last().carriedOut, qPrintable(QString::number(n)));
        QCoreApplication::processEvents();

        if (action == PlaySound && n % 4 == 0) {
            // A snooze of no minutes: the dialog comes and goes, the sound plays again.
            desk.click(desk.forms.activeFormIfLoaded(), "snooze");
            desk.type(desk.forms.snoozeFormIfLoaded(), "Text1", QStringLiteral("0"));
            desk.click(desk.forms.snoozeFormIfLoaded(), "ok");
            desk.countdownSecond();
            ++snoozes;
        } else {
            desk.countdownSecond();
            desk.answer(Answer::Close);
        }
        desk.countdownSecond();
        slot.almHour = 0;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const qint64 after = residentBytes();
    const qsizetype widgetsAfter = QApplication::allWidgets().size();
    qInfo("%d alarms over %d simulated days, %d snoozed: resident memory %.1f MiB after %d, "
          "%.1f MiB at the end (%+.2f MiB); %lld widgets after %d, %lld at the end",
          alarms, Days, snoozes, before / 1048576.0, WarmUp, after / 1048576.0,
          (after - before) / 1048576.0, qint64(widgetsBefore), WarmUp, qint64(widgetsAfter));

    QCOMPARE(desk.acts.size(), alarms);
    QVERIFY(!desk.forms.activeFormIfLoaded());
    QVERIFY(!desk.forms.snoozeFormIfLoaded());
    QCOMPARE(widgetsAfter, widgetsBefore);
    QVERIFY2(after - before < 5 * 1048576, "resident memory grew by 5 MiB or more");
    QVERIFY(desk.power.requests.isEmpty());
}

QTEST_MAIN(tst_Simulation)
#include "tst_simulation.moc"
