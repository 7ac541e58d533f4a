#pragma once

#include "clock.h"

/// A clock that shows whatever time the test sets.
struct FakeClock final : Clock
{
    QDateTime current = QDateTime(QDate(2026, 12, 7), QTime(6, 0, 0));
    qint64 suspended = 0;
    QDateTime now() const override { return current; }
    qint64 suspendedMsecs() const override { return suspended; }
    void set(const QTime &t) { current = QDateTime(current.date(), t); }
    void advance(int msecs) { current = current.addMSecs(msecs); }
    /// The computer sleeps that long.
    void sleep(qint64 msecs) { current = current.addMSecs(msecs); suspended += msecs; }
};
