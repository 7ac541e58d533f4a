#include "secondtracker.h"

QList<QDateTime> SecondTracker::advance(const QDateTime &now)
{
    const qint64 current = now.toSecsSinceEpoch();
    qint64 first = current;
    if (m_started && current > m_last && current - m_last <= MaxCatchUp)
        first = m_last + 1;
    else if (m_started && current == m_last)
        return {};

    m_started = true;
    m_last = current;
    QList<QDateTime> seconds;
    const QDateTime whole = now.addMSecs(-now.time().msec());
    for (qint64 s = first; s <= current; ++s)
        seconds.append(whole.addSecs(s - current));
    return seconds;
}
