#include "logindpowercontrol.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace {

// Long enough for someone to type a password into polkit's prompt.
constexpr int AnswerTimeoutMs = 60000;

QString reasonFor(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::Disconnected:
    case QDBusError::ServiceUnknown:
        return QCoreApplication::translate("LogindPowerControl",
                                           "The system's power service (systemd-logind) cannot "
                                           "be reached.");
    default:
        // logind's and polkit's own words, such as "Access denied".
        return error.message().isEmpty() ? error.name() : error.message();
    }
}

} // namespace

void LogindPowerControl::callManager(const QString &method)
{
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), method);
    request << true;   // interactive: polkit may ask for a password
    m_pending = QDBusConnection::systemBus().asyncCall(request, AnswerTimeoutMs);
    if (m_pending->isFinished()) {
        // No system bus at all: the call failed at once, and no watcher would report it.
        QMetaObject::invokeMethod(
            this, [this, error = m_pending->error()] { report(error); }, Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(*m_pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        report(watcher->error());
    });
}

void LogindPowerControl::report(const QDBusError &error)
{
    if (!error.isValid())
        emit answered(Accepted, QString());
    else if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        emit answered(NoAnswer, QString());
    else
        emit answered(Refused, reasonFor(error));
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
