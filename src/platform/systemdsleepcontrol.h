#pragma once

#include "sleepcontrol.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>

#include <optional>

class QDBusPendingCallWatcher;

/// SleepControl through systemd: the wake-up request is a transient timer of the user's
/// service manager (session bus) with WakeSystem=yes, starting a service that does nothing;
/// the sleep and idle locks are logind inhibitors (system bus), the idle one the desktop
/// portal's where a portal runs. Every call is asynchronous.
class SystemdSleepControl final : public SleepControl
{
    Q_OBJECT
public:
    SystemdSleepControl(const QDBusConnection &session, const QDBusConnection &system,
                        QObject *parent = nullptr);
    explicit SystemdSleepControl(QObject *parent = nullptr);

    void setWakeAt(const QDateTime &at) override;
    QString wakeProblem() const override { return m_problem; }
    void setArmed(bool armed) override;
    void setStayAwake(bool on) override;
    void finish() override;

    /// The timer unit that holds the wake-up request now, if any.
    QString currentUnit() const { return m_unit; }

private slots:
    void prepareForSleep(bool start);
    void jobRemoved(uint id, const QDBusObjectPath &job, const QString &unit,
                    const QString &result);

private:
    void start();
    void removeStaleRequests();
    void sendWakeRequest();
    void wakeRequestDone();
    void refused(const QString &why);
    void takeSleepLock();
    void releaseSleepLockWhenDone();
    QDBusMessage managerCall(const QString &method) const;
    QDBusMessage logindCall(const QString &method) const;

    QDBusConnection m_session{QString()};
    QDBusConnection m_system{QString()};
    bool m_defaultBuses = false;
    bool m_started = false;

    QDateTime m_wantAt;
    QDateTime m_sentAt;
    bool m_sent = false;          // m_sentAt is what the system holds
    bool m_inFlight = false;      // one request at a time; a later wish follows it
    QString m_unit;               // the timer unit holding the request
    QString m_pendingJob;
    QString m_starting;           // the timer being set up
    std::optional<QDBusPendingCall> m_pendingStart;
    std::optional<QDBusPendingCall> m_lastStop;
    int m_serial = 0;
    QString m_problem;
    int m_version = 0;            // of the user's service manager; 0 while unknown

    bool m_armed = false;
    bool m_sleeping = false;      // between PrepareForSleep(true) and (false)
    bool m_lockPending = false;
    QDBusUnixFileDescriptor m_sleepLock;

    bool m_stayAwake = false;
    bool m_idlePending = false;
    QString m_portalRequest;      // handle of the portal's idle inhibition
    QDBusUnixFileDescriptor m_idleLock;
};
