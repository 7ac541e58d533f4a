#include "logindpowercontrol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

namespace {

// Long enough for someone to type a password into polkit's prompt.
constexpr int AnswerTimeoutMs = 60000;

} // namespace

void LogindPowerControl::callManager(const QString &method)
{
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), method);
    request << true;   // interactive: polkit may ask for a password
    m_pending = QDBusConnection::systemBus().asyncCall(request, AnswerTimeoutMs);
}

void LogindPowerControl::powerOff()
{
    callManager(QStringLiteral("PowerOff"));
}

void LogindPowerControl::reboot()
{
    callManager(QStringLiteral("Reboot"));
}

void LogindPowerControl::waitForAnswer()
{
    if (m_pending)
        m_pending->waitForFinished();
    m_pending.reset();
}
