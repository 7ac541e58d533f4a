#include "systemdsleepcontrol.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QRegularExpression>

#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace {

const QString Systemd = QStringLiteral("org.freedesktop.systemd1");
const QString SystemdPath = QStringLiteral("/org/freedesktop/systemd1");
const QString SystemdManager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString Logind = QStringLiteral("org.freedesktop.login1");
const QString LogindPath = QStringLiteral("/org/freedesktop/login1");
const QString LogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString Portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Calls that end the program or answer sleep wait no longer than this.
constexpr int QuickTimeoutMs = 500;
// A manager busy starting the session may take a while to set up a timer; the program's end
// waits for it no longer than this.
constexpr int StartTimeoutMs = 2000;
// The first systemd whose user manager may wake the computer.
constexpr int WakingVersion = 254;
// The portal's flag for "do not suspend for idleness".
constexpr uint PortalIdle = 8;

} // namespace

struct UnitProperty
{
    QString name;
    QDBusVariant value;
};
Q_DECLARE_METATYPE(UnitProperty)

struct CalendarEntry
{
    QString base;
    QString calendar;
};
Q_DECLARE_METATYPE(CalendarEntry)

struct ExecCommand
{
    QString path;
    QStringList argv;
    bool ignoreFailure = false;
};
Q_DECLARE_METATYPE(ExecCommand)

struct AuxUnit
{
    QString name;
    QList<UnitProperty> properties;
};
Q_DECLARE_METATYPE(AuxUnit)

QDBusArgument &operator<<(QDBusArgument &arg, const UnitProperty &p)
{
    arg.beginStructure();
    arg << p.name << p.value;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, UnitProperty &p)
{
    arg.beginStructure();
    arg >> p.name >> p.value;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const CalendarEntry &c)
{
    arg.beginStructure();
    arg << c.base << c.calendar;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, CalendarEntry &c)
{
    arg.beginStructure();
    arg >> c.base >> c.calendar;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const ExecCommand &e)
{
    arg.beginStructure();
    arg << e.path << e.argv << e.ignoreFailure;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, ExecCommand &e)
{
    arg.beginStructure();
    arg >> e.path >> e.argv >> e.ignoreFailure;
    arg.endStructure();
    return arg;
}
QDBusArgument &operator<<(QDBusArgument &arg, const AuxUnit &u)
{
    arg.beginStructure();
    arg << u.name << u.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument &operator>>(const QDBusArgument &arg, AuxUnit &u)
{
    arg.beginStructure();
    arg >> u.name >> u.properties;
    arg.endStructure();
    return arg;
}

namespace {

void registerTypes()
{
    static const bool done = [] {
        qDBusRegisterMetaType<UnitProperty>();
        qDBusRegisterMetaType<QList<UnitProperty>>();
        qDBusRegisterMetaType<CalendarEntry>();
        qDBusRegisterMetaType<QList<CalendarEntry>>();
        qDBusRegisterMetaType<ExecCommand>();
        qDBusRegisterMetaType<QList<ExecCommand>>();
        qDBusRegisterMetaType<AuxUnit>();
        qDBusRegisterMetaType<QList<AuxUnit>>();
        return true;
    }();
    Q_UNUSED(done);
}

template<typename T>
UnitProperty unitProperty(const char *name, const T &value)
{
    return {QString::fromLatin1(name), QDBusVariant(QVariant::fromValue(value))};
}

/// "252 (252.22-1~deb12u1)" or "v246" gives 252 or 246.
int majorVersion(const QString &text)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+)")).match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QString tooOld(int version)
{
    return QObject::tr("This computer's systemd (version %1) does not let a program of yours "
                       "wake the computer; version %2 or later does.")
        .arg(version)
        .arg(WakingVersion);
}

} // namespace

SystemdSleepControl::SystemdSleepControl(QObject *parent)
    : SleepControl(parent)
    , m_defaultBuses(true)
{
}

SystemdSleepControl::SystemdSleepControl(const QDBusConnection &session,
                                         const QDBusConnection &system, QObject *parent)
    : SleepControl(parent)
    , m_session(session)
    , m_system(system)
{
}

// The buses are reached when first needed: a run that never arms an alarm spends nothing on
// them at start-up.
void SystemdSleepControl::start()
{
    if (m_started)
        return;
    m_started = true;
    registerTypes();
    if (m_defaultBuses) {
        m_session = QDBusConnection::sessionBus();
        m_system = QDBusConnection::systemBus();
    }
    if (!m_session.isConnected()) {
        m_problem = tr("No session bus runs, so no wake-up request can be made.");
    } else {
        // No sender named: for a named one Qt asks the bus for its owner and waits for the
        // answer, which froze the program when a stalled session bus never gave one. Only
        // jobs this program started are looked at.
        m_session.connect(QString(), SystemdPath, SystemdManager, QStringLiteral("JobRemoved"),
                          this, SLOT(jobRemoved(uint, QDBusObjectPath, QString, QString)));
        // The manager sends its job signals only to subscribers.
        m_session.asyncCall(managerCall(QStringLiteral("Subscribe")), QuickTimeoutMs);
        QDBusMessage version = QDBusMessage::createMethodCall(
            Systemd, SystemdPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        version << SystemdManager << QStringLiteral("Version");
        auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(version), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](auto *w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *w;
            if (reply.isValid())
                m_version = majorVersion(reply.value().variant().toString());
        });
        removeStaleRequests();
    }
    if (m_system.isConnected()) {
        m_system.connect(Logind, LogindPath, LogindManager, QStringLiteral("PrepareForSleep"),
                         this, SLOT(prepareForSleep(bool)));
    }
}

// A run that crashed or was killed left its request behind; the computer would wake for an
// alarm no program is there to sound.
void SystemdSleepControl::removeStaleRequests()
{
    QDBusMessage list = managerCall(QStringLiteral("ListUnitsByPatterns"));
    list << QStringList() << QStringList{QStringLiteral("wakemere-wake-*.timer")};
    auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(list), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const QDBusArgument units = reply.arguments().first().value<QDBusArgument>();
        units.beginArray();
        while (!units.atEnd()) {
            QString name, description, load, active, sub, following, jobType;
            QDBusObjectPath path, jobPath;
            uint jobId = 0;
            units.beginStructure();
            units >> name >> description >> load >> active >> sub >> following >> path >> jobId
                >> jobType >> jobPath;
            units.endStructure();
            // "wakemere-wake-PID-N.timer": a process that is gone no longer needs it.
            const qint64 pid = name.section(QLatin1Char('-'), 2, 2).toLongLong();
            if (pid > 0 && pid != getpid() && kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
                QDBusMessage stop = managerCall(QStringLiteral("StopUnit"));
                stop << name << QStringLiteral("replace");
                m_session.asyncCall(stop, QuickTimeoutMs);
            }
        }
        units.endArray();
    });
}

QDBusMessage SystemdSleepControl::managerCall(const QString &method) const
{
    return QDBusMessage::createMethodCall(Systemd, SystemdPath, SystemdManager, method);
}

QDBusMessage SystemdSleepControl::logindCall(const QString &method) const
{
    return QDBusMessage::createMethodCall(Logind, LogindPath, LogindManager, method);
}

void SystemdSleepControl::setWakeAt(const QDateTime &at)
{
    if (!m_started && !at.isValid())
        return;
    start();
    m_wantAt = at;
    if (m_sent && m_sentAt == m_wantAt)
        return;
    if (!m_inFlight)
        sendWakeRequest();
}

// One request at a time: stop the timer that holds the old time, start one for the new.
// Each timer has a name of its own, so a new one never meets an old one still unloading.
void SystemdSleepControl::sendWakeRequest()
{
    if (!m_session.isConnected()) {
        m_sent = true;
        m_sentAt = m_wantAt;
        return;
    }
    m_inFlight = true;
    const QDateTime at = m_wantAt;
    const QString old = m_unit;
    if (!old.isEmpty()) {
        QDBusMessage stop = managerCall(QStringLiteral("StopUnit"));
        stop << old << QStringLiteral("replace");
        // An error (the timer is gone already) changes nothing.
        m_lastStop = m_session.asyncCall(stop, QuickTimeoutMs);
        m_unit.clear();
    }
    if (!at.isValid()) {
        m_sent = true;
        m_sentAt = at;
        wakeRequestDone();
        return;
    }
    const QString base = QStringLiteral("wakemere-wake-%1-%2").arg(getpid()).arg(++m_serial);
    const QString calendar = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QList<UnitProperty> timer = {
        unitProperty("Description", tr("Wakemere: wake the computer for the next alarm")),
        unitProperty("TimersCalendar",
                     QList<CalendarEntry>{{QStringLiteral("OnCalendar"), calendar}}),
        unitProperty("WakeSystem", true),
        unitProperty("AccuracyUSec", quint64(1000000)),
        unitProperty("RemainAfterElapse", false),
    };
    // The timer needs a unit to start; this one does nothing.
    const ExecCommand nothing{QStringLiteral("/bin/true"), {QStringLiteral("/bin/true")}, false};
    const QList<AuxUnit> aux = {
        {base + QStringLiteral(".service"),
         {unitProperty("Description", tr("Wakemere: the computer woke for an alarm")),
          unitProperty("ExecStart", QList<ExecCommand>{nothing})}},
    };
    QDBusMessage start = managerCall(QStringLiteral("StartTransientUnit"));
    start << base + QStringLiteral(".timer") << QStringLiteral("replace")
          << QVariant::fromValue(timer) << QVariant::fromValue(aux);
    m_starting = base + QStringLiteral(".timer");
    m_pendingStart = m_session.asyncCall(start, StartTimeoutMs);
    auto *watcher = new QDBusPendingCallWatcher(*m_pendingStart, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, at, unit = m_starting] {
                watcher->deleteLater();
                m_pendingStart.reset();
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                m_sent = true;
                m_sentAt = at;
                if (reply.isError()) {
                    const QDBusError error = reply.error();
                    if (error.type() == QDBusError::ServiceUnknown
                        || error.type() == QDBusError::NoReply
                        || error.type() == QDBusError::Disconnected)
                        refused(tr("No systemd user manager runs for this session, so nothing "
                                   "can wake the computer."));
                    else
                        refused(tr("The system refused the wake-up request: %1")
                                    .arg(error.message()));
                } else {
                    m_unit = unit;
                    m_pendingJob = reply.value().path();
                    // Until the job says otherwise, a request accepted is one that can wake.
                    if (m_version == 0 || m_version >= WakingVersion)
                        m_problem.clear();
                    else
                        m_problem = tooOld(m_version);
                }
                wakeRequestDone();
            });
}

void SystemdSleepControl::wakeRequestDone()
{
    m_inFlight = false;
    if (!m_sent || m_sentAt != m_wantAt) {
        sendWakeRequest();
        return;
    }
    releaseSleepLockWhenDone();
}

void SystemdSleepControl::refused(const QString &why)
{
    m_problem = why;
}

void SystemdSleepControl::jobRemoved(uint id, const QDBusObjectPath &job, const QString &unit,
                                     const QString &result)
{
    Q_UNUSED(id);
    if (unit != m_unit && job.path() != m_pendingJob)
        return;
    if (result == QLatin1String("done"))
        return;
    // A user manager that may not wake the computer fails the timer ("Operation not
    // permitted"); the version says why.
    refused(m_version > 0 && m_version < WakingVersion
                ? tooOld(m_version)
                : tr("The system refused the wake-up request (the timer %1 %2).")
                      .arg(unit, result));
}

void SystemdSleepControl::setArmed(bool armed)
{
    if (armed == m_armed)
        return;
    start();
    m_armed = armed;
    if (armed && !m_sleeping)
        takeSleepLock();
    else if (!armed)
        m_sleepLock = QDBusUnixFileDescriptor();
}

// A "delay" lock only: sleep waits for the program a few seconds at most, never longer.
void SystemdSleepControl::takeSleepLock()
{
    if (!m_system.isConnected() || m_sleepLock.isValid() || m_lockPending)
        return;
    QDBusMessage inhibit = logindCall(QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("sleep") << QStringLiteral("Wakemere")
            << tr("Renews the wake-up request for the next alarm") << QStringLiteral("delay");
    m_lockPending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(inhibit), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_lockPending = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        if (reply.isValid() && m_armed && !m_sleeping)
            m_sleepLock = reply.value();
    });
}

void SystemdSleepControl::releaseSleepLockWhenDone()
{
    if (m_sleeping && !m_inFlight)
        m_sleepLock = QDBusUnixFileDescriptor();
}

void SystemdSleepControl::prepareForSleep(bool start)
{
    m_sleeping = start;
    // Before sleep and after it, the request is sent anew even when its time is the same: the
    // system may have dropped it meanwhile.
    m_sent = false;
    if (start) {
        emit aboutToSleep();
        if (!m_inFlight)
            sendWakeRequest();
        releaseSleepLockWhenDone();
    } else {
        if (m_armed)
            takeSleepLock();
        emit resumed();
        if (!m_inFlight)
            sendWakeRequest();
    }
}

void SystemdSleepControl::setStayAwake(bool on)
{
    if (on == m_stayAwake)
        return;
    start();
    m_stayAwake = on;
    if (!on) {
        if (!m_portalRequest.isEmpty()) {
            m_session.asyncCall(QDBusMessage::createMethodCall(
                Portal, m_portalRequest, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Close")));
            m_portalRequest.clear();
        }
        m_idleLock = QDBusUnixFileDescriptor();
        return;
    }
    if (m_idlePending)
        return;
    m_idlePending = true;
    QDBusMessage portal = QDBusMessage::createMethodCall(
        Portal, PortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
        QStringLiteral("Inhibit"));
    portal << QString() << PortalIdle
           << QVariantMap{{QStringLiteral("reason"), tr("An alarm is due")}};
    auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(portal), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isValid()) {
            m_idlePending = false;
            m_portalRequest = reply.value().path();
            if (!m_stayAwake)
                setStayAwake(false);   // no longer wanted: close it again
            return;
        }
        // No portal: logind's idle lock, which desktops honour too.
        QDBusMessage inhibit = logindCall(QStringLiteral("Inhibit"));
        inhibit << QStringLiteral("idle") << QStringLiteral("Wakemere") << tr("An alarm is due")
                << QStringLiteral("block");
        auto *next = new QDBusPendingCallWatcher(m_system.asyncCall(inhibit), this);
        connect(next, &QDBusPendingCallWatcher::finished, this, [this, next] {
            next->deleteLater();
            m_idlePending = false;
            const QDBusPendingReply<QDBusUnixFileDescriptor> lock = *next;
            if (lock.isValid() && m_stayAwake)
                m_idleLock = lock.value();
        });
    });
}

void SystemdSleepControl::finish()
{
    m_stayAwake = false;
    m_idleLock = QDBusUnixFileDescriptor();
    m_sleepLock = QDBusUnixFileDescriptor();
    if (!m_session.isConnected())
        return;
    // No event loop runs any longer: a timer still being set up is waited for here, so that
    // it is stopped too, and so is a stop already asked for.
    if (m_pendingStart) {
        m_pendingStart->waitForFinished();
        if (!m_pendingStart->isError())
            m_unit = m_starting;
        m_pendingStart.reset();
    }
    if (m_lastStop) {
        m_lastStop->waitForFinished();
        m_lastStop.reset();
    }
    if (m_unit.isEmpty())
        return;
    QDBusMessage stop = managerCall(QStringLiteral("StopUnit"));
    stop << m_unit << QStringLiteral("replace");
    // Bounded: ending the program must not hang on a manager that does not answer.
    m_session.call(stop, QDBus::Block, QuickTimeoutMs);
    m_unit.clear();
}
