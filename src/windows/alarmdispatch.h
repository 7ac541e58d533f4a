#pragma once

#include "alarmscanner.h"

#include <QDateTime>
#include <QObject>

class Forms;
struct Services;

/// Why alarms were missed.
enum class MissCause { Asleep, ClockForward };

/// What the clock does with the alarm table, on every tick and after the computer wakes:
/// finds the alarms due since the last look, carries them out, reports those missed, and
/// keeps the wake-up request and the sleep and idle locks in step with the armed slots.
class AlarmDispatch : public QObject
{
    Q_OBJECT
public:
    /// A wake-up request is set this long before the alarm, so the program runs again in time.
    static constexpr int WakeAheadSecs = 30;
    /// The desktop is kept from idle-suspending from this long before an alarm.
    static constexpr int StayAwakeSecs = 60;

    explicit AlarmDispatch(Forms &forms, QObject *parent = nullptr);
    /// No clock looks at the alarms any longer: no wake-up request, no locks.
    ~AlarmDispatch() override;

    /// Examines the seconds up to now and carries out what fell due.
    void examine();

    void carryOut(const DueAlarm &alarm);
    /// Sounds the file through the program's player and opens the alarm window afresh.
    void playFile(const QString &almfile);
    void openFile(const QString &path);
    /// Re-opens the alarm window with its Snooze button disabled.
    void showAlmNoSnooze();

signals:
    /// A slot fell due; firedAlm is set already.
    void alarmDue(int slot, int action);
    /// Alarms fell due too long ago to act; the missed alarms window shows them.
    void missed(const QList<MissedAlarm> &alarms, MissCause cause);

private:
    void keepWakeRequest(const QDateTime &now);

    Forms &m_forms;
    Services &m_services;
    AlarmScanner m_scanner;
    bool m_slept = false;
    qint64 m_suspendedMs = -1;
    qint64 m_lastLook = -1;
};
