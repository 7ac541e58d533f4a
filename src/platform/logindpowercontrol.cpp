#include "logindpowercontrol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

namespace {

void callManager(const QString &method)
{
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), method);
    request << true;   // interactive: polkit may ask for a password
    QDBusConnection::systemBus().asyncCall(request);
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
