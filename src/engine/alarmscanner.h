#pragma once

#include "alarmtable.h"

#include <QDateTime>
#include <QList>
#include <QTime>

#include <array>
#include <optional>

/// The hour of the day (0 to 23) a slot is due at: 12 AM is 0, 12 PM is 12, 7 PM is 19.
int dueHour(const AlarmSlot &slot);

/// Whether a set slot is due at time t, by exact hour, minute and second.
bool isDue(const AlarmSlot &slot, const QTime &t);

/// One alarm to carry out: the slot and its action.
struct DueAlarm
{
    int slot = 0;
    int action = 0;
    bool operator==(const DueAlarm &o) const { return slot == o.slot && action == o.action; }
};

/// The alarms due at time t, in the order to carry them out: slots 1 to 5, where a sound,
/// program or document alarm ends the scan and a message, shutdown or restart lets it go on.
QList<DueAlarm> dueAlarms(const AlarmTable &table, const QTime &t);

/// A local date and time as the wall clock shows it. Kept plain, not as a point in time: in
/// the hour repeated when summer time ends, one wall time names two points in time.
struct WallTime
{
    QDate date;
    QTime time;
    bool operator==(const WallTime &o) const { return date == o.date && time == o.time; }
};

/// An alarm that fell due while no tick ran, too long ago to act.
struct MissedAlarm
{
    int slot = 0;
    int action = 0;
    WallTime due;
    QString message;
};

/// What one tick found: alarms to carry out now, in order, and alarms that were missed.
struct Scan
{
    QList<DueAlarm> act;
    QList<MissedAlarm> missed;
};

/// Examines every wall-clock second once, also the seconds a late tick, a suspended computer
/// or a clock set forward skipped. Skipped alarms of the last ActLate seconds act as if on
/// time; older ones are reported as missed, never carried out hours late. A slot acts at most
/// once for one local date and time (the clock set back, the repeated autumn hour). An alarm
/// inside the hour that summer time skips acts at the first second after the gap.
class AlarmScanner
{
public:
    static constexpr int ActLate = 60;

    /// Examines the seconds from the last call up to now. The first call, and the first after
    /// the clock was set back, examine now's second only; a second call within the same
    /// second examines nothing.
    Scan advance(const AlarmTable &table, const QDateTime &now);

    /// The first second after now at which a set slot falls due, or none.
    static std::optional<QDateTime> nextDue(const AlarmTable &table, const QDateTime &now);

private:
    qint64 m_last = 0;
    bool m_started = false;
    std::array<std::optional<WallTime>, AlarmTable::SlotCount> m_lastActed;
};
