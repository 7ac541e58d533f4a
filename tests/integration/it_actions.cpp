#include "desktop.h"
#include "desktopopener.h"
#include "desktopurlopener.h"
#include "qttrayicon.h"
#include "systemdsleepcontrol.h"

#include <QtDBus>

#include <csignal>
#include <unistd.h>

// The real opening, link and tray backends on the virtual test desktop of
// scripts/testdesk --x --xdg --system-bus: documents, programs and links at its recording
// handlers, a portal of the test's own, and no tray host. With the
// faults of that desktop: each is missing, refuses, or stalls, and nothing freezes.

// A descriptor of ours without close-on-exec, as the sound server's are: no program, document
// or link handler we start may get it.
constexpr int Ours = 200;

/// Stands in for the desktop portal's OpenURI: records OpenFile, and opens the file, refuses,
/// or never answers.
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.OpenURI")
public:
    enum Answer { Opens, Refuses, Silent } answer = Opens;
    QStringList requests;   // the file, and whether the user is asked

public slots:
    QDBusObjectPath OpenFile(const QString &, const QDBusUnixFileDescriptor &fd,
                             const QVariantMap &opts)
    {
        requests << QFile::symLinkTarget("/proc/self/fd/" + QString::number(fd.fileDescriptor()))
                        + " ask=" + opts.value("ask").toString();
        if (answer == Refuses)
            sendErrorReply(QDBusError::Failed, QStringLiteral("broken"));
        else if (answer == Silent)
            setDelayedReply(true);
        return QDBusObjectPath("/org/freedesktop/portal/desktop/request/1_1/t");
    }
};

class it_actions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void handlerGetsTheTarget_data();
    void handlerGetsTheTarget();
    void openWith_data();
    void openWith();
    void noTrayHost();
    void noMailProgram();
    void stalledSessionBus();

private:
    QTemporaryDir m_dir;
};

void it_actions::initTestCase()
{
    QCOMPARE(::dup2(STDERR_FILENO, Ours), Ours);
    // An application that shows in choosers (the test desktop's own handlers do not), written
    // before the desktop's application list is first read.
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + "/applications";
    QVERIFY(QDir().mkpath(applications));
    writeFile(applications + "/wakemere-test-viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Test viewer\nExec="
                  + qgetenv("TESTDESK_DIR") + "/bin/testdesk-document %f\n");
}

void it_actions::handlerGetsTheTarget_data()
{
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("name");
    QTest::newRow("document")   // a dash, non-ASCII, shell characters, a newline, an escape
        << "document" << QString::fromUtf8("-r\u00e9veil $HOME; `id` | it's \"y\" &\n\\t.txt");
    QTest::newRow("program") << "program" << "-back up; $now 'daily'";
    QTest::newRow("mail link") << "mailto" << "mailto:wakemere@example.com";
}

// The handler gets the target as it is, and none of our descriptors.
void it_actions::handlerGetsTheTarget()
{
    QFETCH(QString, handler);
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    QStringList expected{path};
    if (handler == "mailto") {
        DesktopUrlOpener().openUrl(QUrl(name));
        expected = {name};
    } else if (handler == "program") {
        // A copy of the recording handler: it records under the name it was started by.
        QVERIFY(QFile::copy(qEnvironmentVariable("TESTDESK_DIR") + "/bin/testdesk-document", path));
        QVERIFY(DesktopOpener().runProgram(path));
        handler = name;
        expected = {};
    } else {
        writeFile(path, "Take the bread out.\n");
        QCOMPARE(DesktopOpener().openDocument(path), Opener::Result::Started);
    }
    QTRY_COMPARE_WITH_TIMEOUT(lastCall(handler), expected, 10000);
    const QString fds = handlerRecords(handler, "fds").join(' ');
    QVERIFY2(!fds.split(' ').contains(QString::number(Ours)), qPrintable(fds));
}

void it_actions::openWith_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("the portal asks the user") << int(FakePortal::Opens);
    QTest::newRow("the portal refuses: our own chooser") << int(FakePortal::Refuses);
    QTest::newRow("the portal never answers, then goes") << int(FakePortal::Silent);
}

void it_actions::openWith()
{
    QFETCH(int, answer);
    FakePortal fake;
    fake.answer = FakePortal::Answer(answer);
    {
        // A connection of its own, held only here, so that the portal can go away while the
        // test stays.
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal");
        QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", &fake,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));
    }
    // Bytes of no known type: no application is associated with them.
    const QString path = writeFile(m_dir.filePath(QTest::currentDataTag() + QString(" $1.bin")),
                                   QByteArray("\x00\x01\xfe\xff", 4));
    QVERIFY(staysResponsive([&path] { DesktopOpener().openWith(path); }, 1000));
    QCOMPARE(fake.requests, QStringList{path + " ask=true"});
    QCOMPARE(bool(openWithDialog()), answer == FakePortal::Refuses);

    // A portal that goes away without an answer has refused.
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QTRY_COMPARE(bool(openWithDialog()), answer != FakePortal::Opens);
    if (answer == FakePortal::Opens)
        return;
    auto *apps = openWithDialog()->findChild<QListWidget *>("apps");
    const QList<QListWidgetItem *> viewer = apps->findItems("Test viewer", Qt::MatchExactly);
    QCOMPARE(viewer.size(), 1);
    apps->setCurrentItem(viewer.first());
    emit apps->itemActivated(viewer.first());
    QTRY_COMPARE_WITH_TIMEOUT(lastCall("document"), QStringList{path}, 10000);
    QTRY_VERIFY(!openWithDialog());
}

// Qt keeps a shown icon visible without a tray: the program must not take it for one there
// and hide its window into nothing.
void it_actions::noTrayHost()
{
    QtTrayIcon icon;
    QVERIFY(!icon.isAvailable());
    const QIcon picture = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    QVERIFY(staysResponsive([&] { icon.show(picture, QStringLiteral("Wakemere"), nullptr); }));
    QVERIFY(!icon.isShown());
}

void it_actions::noMailProgram()
{
    // Uninstalled, while the desktop's list of defaults still names it.
    QVERIFY(QFile::remove(qEnvironmentVariable("XDG_DATA_DIRS").section(':', 0, 0)
                          + "/applications/testdesk-mailto.desktop"));
    const QStringList before = handlerRecords("mailto");
    QVERIFY(staysResponsive(
        [] { DesktopUrlOpener().openUrl(QUrl("mailto:wakemere@example.com")); }, 2000));
    QCOMPARE(handlerRecords("mailto"), before);
}

void it_actions::stalledSessionBus()
{
    const QString text = writeFile(m_dir.filePath("stalled.txt"), "Bring the keys.\n");
    const QString data = writeFile(m_dir.filePath("stalled.bin"), "\x01\xfe\xff");
    const pid_t bus = pid_t(QDBusConnection::sessionBus().interface()->servicePid(
        QStringLiteral("org.freedesktop.DBus")).value());
    QVERIFY(bus > 0);
    DesktopOpener opener;
    SystemdSleepControl sleep;
    {
        // A bus that answers nobody: opening, asking for "Open With" and the wake-up request
        // must not wait on it, and the end waits only briefly.
        QCOMPARE(::kill(bus, SIGSTOP), 0);
        const auto resume = qScopeGuard([bus] { ::kill(bus, SIGCONT); });
        QVERIFY(staysResponsive([&] {
            opener.openDocument(text);
            opener.openWith(data);
            sleep.setArmed(true);
            sleep.setWakeAt(QDateTime::currentDateTime().addSecs(3600));
            sleep.setStayAwake(true);
            sleep.finish();
        }));
    }
    // Once it answers, the document reaches its application, and with no portal running the
    // program's own chooser comes.
    QTRY_COMPARE_WITH_TIMEOUT(lastCall("document"), QStringList{text}, 10000);
    QTRY_VERIFY(openWithDialog());
}

QTEST_MAIN(it_actions)
#include "it_actions.moc"
