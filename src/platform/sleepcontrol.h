#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

/// The computer's sleep as far as alarms care: one wake-up request with the system, a lock
/// that makes sleep wait until the request is up to date, and keeping the desktop from
/// suspending for idleness. Behind an interface so that tests see the requests instead.
class SleepControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Keeps exactly one wake-up request, for that local time; an invalid time removes it.
    virtual void setWakeAt(const QDateTime &at) = 0;
    /// Why the computer cannot be woken for an alarm; empty while, as far as known, it can.
    virtual QString wakeProblem() const = 0;
    /// While armed, sleep waits briefly for the program to renew its wake-up request.
    virtual void setArmed(bool armed) = 0;
    /// Keeps the desktop from suspending for idleness while on.
    virtual void setStayAwake(bool on) = 0;
    /// The program ends: the wake-up request goes, waiting a bounded time for the answer.
    virtual void finish() = 0;

signals:
    /// The computer is about to sleep; setWakeAt() now renews the request before it does.
    void aboutToSleep();
    /// The computer is awake again.
    void resumed();
};
