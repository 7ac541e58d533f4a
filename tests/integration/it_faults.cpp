#include "realdesk.h"
#include "sinkrecorder.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <linux/capability.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// What the program meets when parts of the desktop are missing or broken, on the virtual test
// desktop of scripts/testdesk, with the real backends; only the clock, the boxes and (but in
// the child process) the end of the program are fakes. One function per desktop:
//   (nothing)          noSoundServer, powerRequestRefused (no system bus)
//   --system-bus       powerRequestRefused (a bus without logind, and a logind that refuses)
//   --pulse            brokenSoundFile
//   --x --wm           noTrayHost
//   --x --xdg          noMailProgram, portalFails, stalledSessionBus

namespace {

constexpr double FileTone = 440;    // what the test's sound file sounds
constexpr double AlarmTone = 1760;  // the built-in tone
constexpr double Audible = 0.05;    // peak of a sound that reached the sink
// A call that takes this long has frozen the program.
constexpr qint64 FrozenMs = 10000;

/// Whether the event loop keeps turning while `msecs` pass: a timer every 50 ms gets through
/// at least a quarter of its beats. A frozen program gets through none.
bool keepsTurning(int msecs)
{
    QTimer beat;
    int beats = 0;
    QObject::connect(&beat, &QTimer::timeout, &beat, [&beats] { ++beats; });
    beat.start(50);
    QElapsedTimer passed;
    passed.start();
    while (passed.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return beats >= msecs / 200;
}

/// The failure message of a call that took too long.
QByteArray took(const char *what, qint64 ms)
{
    return QByteArray(what) + " took " + QByteArray::number(ms) + " ms";
}

/// Milliseconds a call takes.
template<typename Call>
qint64 timed(Call call)
{
    QElapsedTimer clock;
    clock.start();
    call();
    return clock.elapsed();
}

/// The header of a 16-bit stereo WAV file whose samples take `dataBytes`.
QByteArray wavHeader(quint32 dataBytes)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4)
        << quint16(4) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    return header;
}

/// Makes root bound by file permissions like any user, so that a file can be unreadable.
bool dropFileCapabilities()
{
    if (geteuid() != 0)
        return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const quint32 bypass = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective &= ~bypass;
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

/// Stands in for the desktop portal's OpenURI: records OpenFile, and answers with an error or
/// not at all.
class BrokenPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.OpenURI")
public:
    explicit BrokenPortal(const QDBusConnection &bus)
        : m_bus(bus)
    {
    }
    bool answers = false;
    int calls = 0;

public slots:
    QDBusObjectPath OpenFile(const QString &, const QDBusUnixFileDescriptor &,
                             const QVariantMap &, const QDBusMessage &message)
    {
        ++calls;
        message.setDelayedReply(true);
        if (answers)
            m_bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                QStringLiteral("broken")));
        return {};
    }

private:
    QDBusConnection m_bus;
};

/// The alarm window opens, and nothing freezes, whatever part of the desktop is missing.
class it_faults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void noSoundServer();
    void brokenSoundFile_data();
    void brokenSoundFile();
    void powerRequestRefused_data();
    void powerRequestRefused();
    void noTrayHost();
    void noMailProgram();
    void portalFails_data();
    void portalFails();
    void stalledSessionBus();

private:
    bool on(const QString &components) const;
    QString makeSound(const QString &name);

    QTemporaryDir m_dir;
};

void it_faults::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("TESTDESK_COMPONENTS"), "run inside scripts/testdesk");
    QVERIFY(m_dir.isValid());
}

bool it_faults::on(const QString &components) const
{
    const QStringList running = qEnvironmentVariable("TESTDESK_COMPONENTS").split(' ');
    for (const QString &component : components.split(' ')) {
        if (!running.contains(component))
            return false;
    }
    return true;
}

QString it_faults::makeSound(const QString &name)
{
    return makeTone(m_dir.filePath(name), 5, FileTone);
}

void it_faults::noSoundServer()
{
    if (on(QStringLiteral("pulse")))
        QSKIP("needs a desktop without --pulse");
    // A server named but not there, as when the desktop's sound server crashed.
    qputenv("PULSE_SERVER", QFile::encodeName("unix:" + m_dir.filePath("no-sound-server")));
    RealDesk desk;
    const QString file = makeSound(QStringLiteral("alarm.wav"));
    desk.fire(PlaySound, file);
    QVERIFY(desk.alarmShown());
    // Nothing can be heard; whether the backend reports that or not, the tone is tried once
    // at most and nothing again and again.
    QVERIFY(keepsTurning(3000));
    QCOMPARE(desk.sound.played.first(), file);
    QVERIFY2(desk.sound.played.size() <= 2, qPrintable(desk.sound.played.join(' ')));

    // A snooze of no minutes sounds the alarm again at once, and fails as quietly.
    desk.alarm()->findChild<QPushButton *>(QStringLiteral("snooze"))->click();
    snzfrm *dialog = desk.forms.snoozeFormIfLoaded();
    QVERIFY(dialog);
    QTest::keyClicks(dialog->findChild<QLineEdit *>(QStringLiteral("Text1")), QStringLiteral("0"));
    dialog->findChild<QPushButton *>(QStringLiteral("ok"))->click();
    const qsizetype before = desk.sound.played.size();
    desk.tick(1);
    QCOMPARE(desk.sound.played.size(), before + 1);
    QVERIFY(keepsTurning(2000));
    QVERIFY2(desk.sound.played.size() <= before + 2, qPrintable(desk.sound.played.join(' ')));
    QCOMPARE(desk.dialogs.errors, QStringList());
    qunsetenv("PULSE_SERVER");
}

void it_faults::brokenSoundFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("deleted") << "deleted";
    QTest::newRow("renamed") << "renamed";
    QTest::newRow("unreadable") << "unreadable";
    QTest::newRow("not a sound") << "garbage";
    QTest::newRow("empty") << "empty";
    QTest::newRow("a header and no samples") << "no samples";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a named pipe nobody writes to") << "fifo";
}

void it_faults::brokenSoundFile()
{
    QFETCH(QString, fault);
    if (!on(QStringLiteral("pulse")))
        QSKIP("needs testdesk --pulse");
    const QString path = makeSound(fault + QLatin1String(".wav"));
    if (fault == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(path));
    } else if (fault == QLatin1String("renamed")) {
        QVERIFY(QFile::rename(path, path + QLatin1String(".old")));
    } else if (fault == QLatin1String("unreadable")) {
        QVERIFY(dropFileCapabilities());
        QVERIFY(QFile::setPermissions(path, {}));
        QFile file(path);
        QVERIFY2(!file.open(QIODevice::ReadOnly), "the file is still readable");
    } else if (fault == QLatin1String("garbage")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(50000, '\x5a'));
    } else if (fault == QLatin1String("empty")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    } else if (fault == QLatin1String("no samples")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(wavHeader(0));
    } else if (fault == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    } else if (fault == QLatin1String("fifo")) {
        QVERIFY(QFile::remove(path));
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

    SinkRecorder sink(qEnvironmentVariable("TESTDESK_SINK"));
    QVERIFY(sink.start());
    RealDesk desk;
    QElapsedTimer passed;
    const qint64 tickMs = timed([&] { desk.fire(PlaySound, path); });
    QVERIFY2(tickMs < FrozenMs, took("the alarm's tick", tickMs));
    QVERIFY(desk.alarmShown());

    // The built-in tone reaches the sink soon after.
    passed.start();
    bool tone = false;
    while (!tone && passed.elapsed() < 6000) {
        const int from = sink.mark();
        QTest::qWait(300);
        const int to = sink.mark();
        tone = sink.peak(from, to) > Audible
               && sink.level(AlarmTone, from, to) > 10 * sink.level(FileTone, from, to);
    }
    QVERIFY2(tone, qPrintable(desk.sound.played.join(' ')));
    QVERIFY(keepsTurning(500));
    desk.alarm()->findChild<QPushButton *>(QStringLiteral("shutoff"))->click();
}

void it_faults::powerRequestRefused_data()
{
    QTest::addColumn<qint16>("action");
    QTest::addColumn<bool>("refusingLogind");
    QTest::addColumn<QString>("error");
    QTest::newRow("no logind") << qint16(ShutdownWindows) << false
                               << "The computer could not be shut down.\n\nThe system's power "
                                  "service (systemd-logind) cannot be reached.";
    QTest::newRow("logind refuses") << qint16(RebootComputer) << true
                                    << "The computer could not be restarted.\n\nAccess denied";
}

// The request fails, the program says so and goes on.
void it_faults::powerRequestRefused()
{
    QFETCH(qint16, action);
    QFETCH(bool, refusingLogind);
    QFETCH(QString, error);
    if (on(QStringLiteral("logind")))
        QSKIP("needs a desktop without logind");
    // python3-dbusmock's logind, told to refuse as polkit does.
    QProcess logind;
    if (refusingLogind) {
        if (!on(QStringLiteral("system-bus")))
            QSKIP("needs testdesk --system-bus");
        logind.start(QStringLiteral("/usr/bin/python3"),
                     {"-m", "dbusmock", "--system", "--template", "logind"});
        const QString name = QStringLiteral("org.freedesktop.login1");
        QTRY_VERIFY(QDBusConnection::systemBus().interface()->isServiceRegistered(name));
        QDBusMessage refuse = QDBusMessage::createMethodCall(
            name, "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod");
        refuse << "org.freedesktop.login1.Manager" << "Reboot" << "b" << ""
               << "raise dbus.exceptions.DBusException('Access denied', "
                  "name='org.freedesktop.DBus.Error.AccessDenied')";
        QCOMPARE(QDBusConnection::systemBus().call(refuse).type(), QDBusMessage::ReplyMessage);
    }
    RealDesk desk;
    desk.fire(action, AlarmTable::NoFile);
    QVERIFY(desk.alarmShown());
    desk.tick(60);
    const qint64 lastMs = timed([&] { desk.tick(1); });
    QVERIFY2(lastMs < FrozenMs, took("the last second", lastMs));
    QTRY_COMPARE(desk.dialogs.errors, QStringList{error});
    QVERIFY(keepsTurning(500));
    QCOMPARE(desk.lifecycle.quits, 0);
    QVERIFY(!desk.alarm());
    logind.terminate();
    logind.waitForFinished();
}

void it_faults::noTrayHost()
{
    if (!on(QStringLiteral("x wm")) || on(QStringLiteral("tray")))
        QSKIP("needs testdesk --x --wm without --tray");
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    RealDesk desk;
    desk.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(desk.main));

    desk.main->showMinimized();
    QTRY_VERIFY(desk.main->isMinimized());
    QVERIFY(keepsTurning(500));
    // Minimised as any window: still on the task bar, not withdrawn into a missing tray.
    QVERIFY(!desk.main->isHidden());
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"),
                                          QString::number(desk.main->winId()),
                                          QStringLiteral("WM_STATE")});
    QVERIFY(xprop.waitForFinished(10000));
    QVERIFY2(xprop.readAllStandardOutput().contains("Iconic"), "not iconic");

    desk.fire(DisplayMessage, AlarmTable::NoFile);
    QVERIFY(QTest::qWaitForWindowExposed(desk.alarm()));

    desk.main->restore_Click();
    QTRY_VERIFY(!desk.main->isMinimized());
    QVERIFY(QTest::qWaitForWindowExposed(desk.main));
}

void it_faults::noMailProgram()
{
    if (!on(QStringLiteral("x xdg")))
        QSKIP("needs testdesk --x --xdg");
    // Take the test desktop's mail program away.
    const QString applications =
        qEnvironmentVariable("XDG_DATA_DIRS").section(':', 0, 0) + QLatin1String("/applications");
    QVERIFY(QFile::remove(applications + QLatin1String("/testdesk-mailto.desktop")));
    QFile associations(qEnvironmentVariable("XDG_CONFIG_HOME") + QLatin1String("/mimeapps.list"));
    QVERIFY(associations.open(QIODevice::ReadOnly));
    QByteArray kept;
    for (const QByteArray &line : associations.readAll().split('\n')) {
        if (!line.contains("mailto"))
            kept += line + '\n';
    }
    associations.close();
    QVERIFY(associations.open(QIODevice::WriteOnly | QIODevice::Truncate));
    associations.write(kept);
    associations.close();

    RealDesk desk;
    QPointer<aboutfrm> box = desk.forms.aboutForm();
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QWidget *address = box->findChild<QWidget *>(QStringLiteral("Label4"));
    const qint64 clickMs = timed([&] { QTest::mouseClick(address, Qt::LeftButton); });
    QVERIFY2(clickMs < FrozenMs, took("the click", clickMs));
    QVERIFY(keepsTurning(2000));
    QVERIFY(box);
    QVERIFY(box->isVisible());

    desk.fire(DisplayMessage, AlarmTable::NoFile);
    QVERIFY(QTest::qWaitForWindowExposed(desk.alarm()));
}

void it_faults::portalFails_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("portal answers with an error") << true;
    QTest::newRow("portal never answers") << false;
}

void it_faults::portalFails()
{
    QFETCH(bool, answers);
    if (!on(QStringLiteral("x xdg")))
        QSKIP("needs testdesk --x --xdg");
    // A connection of its own, so that the portal can go away while the program stays.
    auto portalBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal")));
    auto portal = std::make_unique<BrokenPortal>(*portalBus);
    portal->answers = answers;
    QVERIFY(portalBus->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                      portal.get(), QDBusConnection::ExportAllSlots));
    QVERIFY(portalBus->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));

    // Bytes of no known type: no application is associated with them.
    const QString path = m_dir.filePath(QStringLiteral("data.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\x01\x02\x03\xfe\xff", 6).repeated(100));
    file.close();

    RealDesk desk;
    const qint64 tickMs = timed([&] { desk.fire(OpenFile, path); });
    QVERIFY2(tickMs < FrozenMs, took("the alarm's tick", tickMs));
    QVERIFY(desk.alarmShown());
    QTRY_COMPARE(portal->calls, 1);
    QVERIFY(keepsTurning(1000));
    // A refusal leaves the file to the program's own chooser; silence is awaited.
    QCOMPARE(bool(openWithDialog()), answers);

    // A portal that goes away without an answer is a refusal too.
    portal.reset();
    portalBus.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QTRY_VERIFY(openWithDialog());
    while (QWidget *chooser = openWithDialog())
        delete chooser;
}

void it_faults::stalledSessionBus()
{
    if (!on(QStringLiteral("x xdg")))
        QSKIP("needs testdesk --x --xdg");
    const QString path = m_dir.filePath(QStringLiteral("stalled.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x00\x01\x02\x03\xfe\xff", 6));
    file.close();
    const QString text = m_dir.filePath(QStringLiteral("stalled.txt"));
    QFile document(text);
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.write("Bring the keys.\n");
    document.close();
    const QString launched = qEnvironmentVariable("TESTDESK_RECORD_DIR") + "/document.log";
    QFile::remove(launched);
    RealDesk desk;
    const pid_t bus = pid_t(QDBusConnection::sessionBus().interface()->servicePid(
        QStringLiteral("org.freedesktop.DBus")).value());
    QVERIFY(bus > 0);

    {
        // A bus that answers nobody: opening a document or asking for "Open With" must not
        // wait on it.
        QCOMPARE(::kill(bus, SIGSTOP), 0);
        const auto resume = qScopeGuard([bus] { ::kill(bus, SIGCONT); });
        const qint64 openMs = timed([&] { desk.opener.openDocument(text); });
        QVERIFY2(openMs < FrozenMs, took("opening a document", openMs));
        const qint64 askMs = timed([&] { desk.opener.openWith(path); });
        QVERIFY2(askMs < FrozenMs, took("Open With", askMs));
        QVERIFY(keepsTurning(500));
    }
    // Once the bus answers, the document reaches its application, and with no portal here
    // the program's own chooser comes.
    QTRY_VERIFY(QFileInfo(launched).size() > 0);
    QTRY_VERIFY(openWithDialog());
    while (QWidget *chooser = openWithDialog())
        delete chooser;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    it_faults test;
    return QTest::qExec(&test, argc, argv);
}

#include "it_faults.moc"
