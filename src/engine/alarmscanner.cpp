#include "alarmscanner.h"

int dueHour(const AlarmSlot &slot)
{
    return int(slot.almHour + slot.almOffset);
}

bool isDue(const AlarmSlot &slot, const QTime &t)
{
    return slot.isSet() && t.hour() == slot.almHour + slot.almOffset
           && t.minute() == slot.almMin && t.second() == slot.almSec;
}

QList<DueAlarm> dueAlarms(const AlarmTable &table, const QTime &t)
{
    QList<DueAlarm> due;
    for (int i = 1; i <= AlarmTable::SlotCount; ++i) {
        const AlarmSlot &slot = table.slot(i);
        if (!isDue(slot, t))
            continue;
        switch (slot.almAction) {
        case PlaySound:
        case RunProgram:
        case OpenFile:
            due.append({i, slot.almAction});
            return due;
        case DisplayMessage:
        case ShutdownWindows:
        case RebootComputer:
            due.append({i, slot.almAction});
            break;
        default:
            break;
        }
    }
    return due;
}

QList<DueAlarm> AlarmScanner::scan(const AlarmTable &table, const QDateTime &second)
{
    QList<DueAlarm> due = dueAlarms(table, second.time());
    const QDateTime local(second.date(), second.time());
    due.removeIf([&](const DueAlarm &alarm) {
        QDateTime &last = m_lastActed[size_t(alarm.slot - 1)];
        if (last == local)
            return true;
        last = local;
        return false;
    });
    return due;
}
