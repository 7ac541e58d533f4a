#pragma once

#include <QObject>
#include <QString>

/// Asks the system to shut down or restart; behind an interface so that tests see the request
/// and give the answer.
class PowerControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    enum Answer { Accepted, Refused, NoAnswer };
    Q_ENUM(Answer)

    /// Asks for the computer to be switched off; returns at once, answered() follows.
    virtual void powerOff() = 0;
    /// Asks for the computer to be restarted; returns at once, answered() follows.
    virtual void reboot() = 0;

signals:
    /// The system's answer to a request, once per request; for Refused, reason says why in
    /// words for the user.
    void answered(PowerControl::Answer answer, const QString &reason);
};
