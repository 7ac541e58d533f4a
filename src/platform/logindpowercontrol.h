#pragma once

#include "powercontrol.h"

#include <QDBusPendingCall>

#include <optional>

/// PowerControl through systemd-logind on the system D-Bus; polkit may ask the user first.
class LogindPowerControl final : public PowerControl
{
    Q_OBJECT
public:
    using PowerControl::PowerControl;

    void powerOff() override;
    void reboot() override;

    /// Waits, for a bounded time, until logind has answered the last request: polkit checks
    /// the caller while it asks, so a program that ends meanwhile must not be gone before the
    /// answer.
    void waitForAnswer();

private:
    void callManager(const QString &method);
    void report(const QDBusError &error);

    std::optional<QDBusPendingCall> m_pending;
};
