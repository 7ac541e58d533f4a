#pragma once

#include <QDateTime>
#include <QList>

/// Decides which wall-clock seconds a clock tick examines, so that a late tick misses none and
/// two ticks in one second do not examine it twice.
class SecondTracker
{
public:
    /// Gaps longer than this (a suspended machine, the clock set forward) are skipped.
    static constexpr int MaxCatchUp = 5;

    /// The whole seconds, oldest first, that a tick at now examines; empty when now's second
    /// was already examined. After the clock was set back, examination restarts at now.
    QList<QDateTime> advance(const QDateTime &now);

private:
    qint64 m_last = 0;
    bool m_started = false;
};
