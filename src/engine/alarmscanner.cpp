#include "alarmscanner.h"

#include <algorithm>

namespace {

constexpr qint64 Day = 24 * 3600;

qint64 floorMod(qint64 a, qint64 b)
{
    const qint64 r = a % b;
    return r < 0 ? r + b : r;
}

/// Seconds east of UTC of the local time at that second since the epoch.
qint64 offsetAt(qint64 epoch)
{
    return QDateTime::fromSecsSinceEpoch(epoch).offsetFromUtc();
}

/// The last second of [from, to] that still has from's offset.
qint64 sameOffsetUntil(qint64 from, qint64 to)
{
    const qint64 offset = offsetAt(from);
    // Time zones change their offset at most a few times a year: one day holds at most one
    // change, found by halving.
    qint64 end = std::min(to, from + Day);
    if (offsetAt(end) == offset)
        return end;
    qint64 lo = from, hi = end;   // offsetAt(lo) == offset, offsetAt(hi) != offset
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (offsetAt(mid) == offset ? lo : hi) = mid;
    }
    return lo;
}

WallTime wallTime(qint64 wall)
{
    return {QDate(1970, 1, 1).addDays((wall - floorMod(wall, Day)) / Day),
            QTime::fromMSecsSinceStartOfDay(int(floorMod(wall, Day) * 1000))};
}

int secondOfDay(const AlarmSlot &slot)
{
    return (dueHour(slot) * 60 + slot.almMin) * 60 + slot.almSec;
}

/// A wall-clock second that a set slot names, and the second since the epoch it came at.
struct Candidate
{
    qint64 epoch;
    qint64 wall;
};

/// The wall-clock seconds named by set slots among those after prevWall that the seconds first
/// to last (since the epoch) pass, with the second each came at, in the order they came. The
/// seconds are walked in runs of one offset from UTC; each second passes the wall-clock
/// seconds after the previous one's up to its own: one, normally; the whole skipped hour at
/// the first second after the spring gap; in the repeated autumn hour, its own only.
QList<Candidate> candidates(const AlarmTable &table, qint64 first, qint64 last, qint64 prevWall)
{
    QList<Candidate> found;
    for (qint64 from = first; from <= last;) {
        const qint64 to = sameOffsetUntil(from, last);
        const qint64 offset = offsetAt(from);
        const qint64 lo = from + offset > prevWall ? prevWall + 1 : from + offset;
        const qint64 hi = to + offset;
        for (int n = 1; n <= AlarmTable::SlotCount; ++n) {
            const AlarmSlot &slot = table.slot(n);
            if (!slot.isSet())
                continue;
            for (qint64 w = lo + floorMod(secondOfDay(slot) - lo, Day); w <= hi; w += Day)
                found.append({std::max(from, w - offset), w});
        }
        prevWall = hi;
        from = to + 1;
    }
    std::sort(found.begin(), found.end(), [](const Candidate &a, const Candidate &b) {
        return a.epoch != b.epoch ? a.epoch < b.epoch : a.wall < b.wall;
    });
    const auto same = [](const Candidate &a, const Candidate &b) {
        return a.epoch == b.epoch && a.wall == b.wall;
    };
    found.erase(std::unique(found.begin(), found.end(), same), found.end());
    return found;
}

} // namespace

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

Scan AlarmScanner::advance(const AlarmTable &table, const QDateTime &now)
{
    const qint64 current = now.toSecsSinceEpoch();
    if (m_started && current == m_last)
        return {};
    // The first tick, and the clock set back: examination (re)starts at now.
    qint64 first = current;
    qint64 prevWall = current + offsetAt(current) - 1;
    if (m_started && current > m_last) {
        first = m_last + 1;
        prevWall = m_last + offsetAt(m_last);
    }
    m_started = true;
    m_last = current;

    Scan scan;
    for (const Candidate &c : candidates(table, first, current, prevWall)) {
        const WallTime wall = wallTime(c.wall);
        for (const DueAlarm &alarm : dueAlarms(table, wall.time)) {
            std::optional<WallTime> &last = m_lastActed[size_t(alarm.slot - 1)];
            if (last == wall)
                continue;
            last = wall;
            if (current - c.epoch <= ActLate)
                scan.act.append(alarm);
            else
                scan.missed.append(
                    {alarm.slot, alarm.action, wall, table.slot(alarm.slot).almMsg});
        }
    }
    return scan;
}

std::optional<QDateTime> AlarmScanner::nextDue(const AlarmTable &table, const QDateTime &now)
{
    // Two days ahead always hold the next occurrence of a set slot, also across a change of
    // the offset from UTC.
    const qint64 start = now.toSecsSinceEpoch() + 1;
    const QList<Candidate> found =
        candidates(table, start, start + 2 * Day, start - 1 + offsetAt(start - 1));
    if (found.isEmpty())
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(found.first().epoch);
}
