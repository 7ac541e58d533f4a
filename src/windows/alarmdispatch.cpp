#include "alarmdispatch.h"

#include "activefrm.h"
#include "clock.h"
#include "forms.h"
#include "mediaplayer.h"
#include "openorrun.h"
#include "services.h"
#include "sleepcontrol.h"

namespace {

// More time asleep than this between two looks at the clock counts as sleep, not as a jump.
constexpr qint64 SleptMs = 2000;

bool anySet(const AlarmTable &table)
{
    for (int n = 1; n <= AlarmTable::SlotCount; ++n) {
        if (table.slot(n).isSet())
            return true;
    }
    return false;
}

} // namespace

AlarmDispatch::AlarmDispatch(Forms &forms, QObject *parent)
    : QObject(parent)
    , m_forms(forms)
    , m_services(forms.services())
{
    SleepControl &sleep = m_services.sleep;
    connect(&sleep, &SleepControl::aboutToSleep, this, [this] {
        m_slept = true;
        keepWakeRequest(m_services.clock.now());
    });
    connect(&sleep, &SleepControl::resumed, this, [this] {
        m_slept = true;
        examine();
        m_slept = false;
    });
}

AlarmDispatch::~AlarmDispatch()
{
    SleepControl &sleep = m_services.sleep;
    sleep.setWakeAt(QDateTime());
    sleep.setArmed(false);
    sleep.setStayAwake(false);
}

void AlarmDispatch::examine()
{
    const QDateTime now = m_services.clock.now();
    const Scan scan = m_scanner.advance(m_services.table, now);

    // Asleep: the computer said it would sleep, or the clock counted time suspended. The
    // notice holds until a look at the clock finds the gap, whether or not the resume notice
    // came first.
    const qint64 suspendedMs = m_services.clock.suspendedMsecs();
    const bool slept = m_slept || (m_suspendedMs >= 0 && suspendedMs - m_suspendedMs > SleptMs);
    m_suspendedMs = suspendedMs;
    const qint64 current = now.toSecsSinceEpoch();
    if (m_lastLook >= 0 && current - m_lastLook > 1)
        m_slept = false;
    m_lastLook = current;

    if (m_services.table.scanOn == 1) {
        // Older alarms are reported first, so that the alarm window of one due now comes up
        // over the report.
        if (!scan.missed.isEmpty())
            emit missed(scan.missed, slept ? MissCause::Asleep : MissCause::ClockForward);
        for (const DueAlarm &alarm : scan.act)
            carryOut(alarm);
    }
    keepWakeRequest(now);
}

void AlarmDispatch::keepWakeRequest(const QDateTime &now)
{
    const AlarmTable &table = m_services.table;
    SleepControl &sleep = m_services.sleep;
    const bool armed = table.scanOn == 1 && anySet(table);
    const auto next = armed ? AlarmScanner::nextDue(table, now) : std::nullopt;
    sleep.setArmed(armed);
    QDateTime wakeAt;
    if (next) {
        // Closer than that to the alarm, a request for a time gone by would never be met.
        wakeAt = now.secsTo(*next) > WakeAheadSecs ? next->addSecs(-WakeAheadSecs) : *next;
    }
    sleep.setWakeAt(wakeAt);
    sleep.setStayAwake(next && now.secsTo(*next) <= StayAwakeSecs);
}

void AlarmDispatch::carryOut(const DueAlarm &alarm)
{
    AlarmTable &table = m_services.table;
    const AlarmSlot &slot = table.slot(alarm.slot);
    switch (alarm.action) {
    case PlaySound:
        table.firedAlm = qint16(alarm.slot);
        playFile(slot.almFile);
        break;
    case RunProgram:
    case OpenFile:
        openFile(slot.almFile);
        table.firedAlm = qint16(alarm.slot);
        showAlmNoSnooze();
        break;
    case DisplayMessage:
        table.firedAlm = qint16(alarm.slot);
        showAlmNoSnooze();
        break;
    case ShutdownWindows:
    case RebootComputer: {
        table.firedAlm = qint16(alarm.slot);
        table.snzMins = QStringLiteral("1");
        m_services.mp1.stop();
        // An alarm window already open keeps its text and its seconds: it is not reloaded.
        activefrm *alarmWindow = m_forms.activeForm();
        alarmWindow->startCountdown();
        alarmWindow->show();
        break;
    }
    default:
        return;
    }
    emit alarmDue(alarm.slot, alarm.action);
}

void AlarmDispatch::playFile(const QString &almfile)
{
    // The sound goes first: starting it returns at once (a prepared one is only unpaused),
    // while drawing the window would hold it back by a frame.
    m_services.mp1.setFile(almfile);
    m_services.mp1.play();
    m_forms.unloadActive();
    activefrm *alarmWindow = m_forms.activeForm();
    alarmWindow->show();
    alarmWindow->enableClose();
    alarmWindow->repaint();
}

void AlarmDispatch::openFile(const QString &path)
{
    openOrRun(m_services.opener, path);
}

void AlarmDispatch::showAlmNoSnooze()
{
    m_forms.unloadActive();
    activefrm *alarmWindow = m_forms.activeForm();
    alarmWindow->show();
    alarmWindow->disableSnooze();
    alarmWindow->repaint();
}
