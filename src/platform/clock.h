#pragma once

#include <QDateTime>

/// The local time of day, behind an interface so that tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    /// The current local date and time, with milliseconds.
    virtual QDateTime now() const = 0;
};
