#pragma once

#include <QDateTime>

/// The local time of day, behind an interface so that tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    /// The current local date and time, with milliseconds.
    virtual QDateTime now() const = 0;
    /// How long the computer has been suspended since it started, in milliseconds: grows
    /// across a sleep, not when the clock is set.
    virtual qint64 suspendedMsecs() const = 0;
};
