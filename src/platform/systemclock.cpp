#include "systemclock.h"

#include <time.h>

namespace {

qint64 msecs(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::suspendedMsecs() const
{
    // The boot-time clock goes on while the computer is suspended; the monotonic one stops.
    return msecs(CLOCK_BOOTTIME) - msecs(CLOCK_MONOTONIC);
}
