#include "logindpowercontrol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

namespace {

void callManager(const QString &method)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), method);
    request << true;   // interactive: polkit may ask for a password
    bus.asyncCall(request);

    // The program ends right after the request. A short call to the bus itself goes out on the
    // same connection after it, so once its answer is back the request has left the process;
    // the answer to the request itself is not awaited.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    bus.call(ping, QDBus::Block, 1000);
}

} // namespace

void LogindPowerControl::powerOff()
{
    callManager(QStringLiteral("PowerOff"));
}

void LogindPowerControl::reboot()
{
    callManager(QStringLiteral("Reboot"));
}
