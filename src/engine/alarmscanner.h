#pragma once

#include "alarmtable.h"

#include <QDateTime>
#include <QList>
#include <QTime>

#include <array>

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

/// dueAlarms() for a run of examined seconds, remembering what acted so that no slot acts twice
/// for the same local date and time (the clock set back, or a repeated hour when summer time
/// ends).
class AlarmScanner
{
public:
    QList<DueAlarm> scan(const AlarmTable &table, const QDateTime &second);

private:
    std::array<QDateTime, AlarmTable::SlotCount> m_lastActed;
};
