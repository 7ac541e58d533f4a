#include "realdesk.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QDialogButtonBox>
#include <QFile>
#include <QJsonDocument>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

// Program and document alarms through the real opening backend, and shutdown and restart
// requests through the real logind backend, on the virtual test desktop of
// scripts/testdesk --x --logind --xdg: documents and programs at its recording handlers, power
// requests at its fake logind. The sound is it_sound's.

namespace {

QString contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

/// The argument lists the test desktop's document handler received.
QList<QStringList> documentCalls()
{
    QList<QStringList> calls;
    const QString log = qEnvironmentVariable("TESTDESK_RECORD_DIR") + "/document.log";
    for (const QString &line : contentsOf(log).split('\n', Qt::SkipEmptyParts))
        calls << QJsonDocument::fromJson(line.toUtf8()).toVariant().toStringList();
    return calls;
}

/// The power requests in the test desktop's logind log, whose lines read "<time> PowerOff True".
QStringList logindCalls()
{
    QStringList calls;
    const QString log = contentsOf(qEnvironmentVariable("TESTDESK_LOGIND_LOG"));
    for (const QString &line : log.split('\n')) {
        if (line.contains(QLatin1String(" PowerOff ")) || line.contains(QLatin1String(" Reboot ")))
            calls << line.section(' ', 1);
    }
    return calls;
}

/// Bytes of no known type: no application is associated with them.
QByteArray unknownBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    return bytes;
}

} // namespace

/// A stand-in for the desktop portal's OpenURI: records the file and options of OpenFile.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.OpenURI")
public:
    QStringList files;
    QList<QVariantMap> options;

public slots:
    QDBusObjectPath OpenFile(const QString &, const QDBusUnixFileDescriptor &fd,
                             const QVariantMap &opts)
    {
        files << QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd.fileDescriptor()));
        options << opts;
        return QDBusObjectPath("/org/freedesktop/portal/desktop/request/1_1/t");
    }
};

class it_actions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void documentReachesItsApplication_data();
    void documentReachesItsApplication();
    void programRunsWithoutArguments();
    void unassociatedFileOpensTheChooser();
    void portalChoosesWhereItRuns();
    void powerRequests_data();
    void powerRequests();

private:
    QString makeFile(const QString &name, const QByteArray &content);

    QTemporaryDir m_dir;
};

void it_actions::initTestCase()
{
    for (const char *variable : {"TESTDESK_RECORD_DIR", "TESTDESK_LOGIND_LOG"})
        QVERIFY2(qEnvironmentVariableIsSet(variable),
                 "run inside scripts/testdesk --x --logind --xdg");
    QVERIFY(m_dir.isValid());

    // An application that shows in choosers (the test desktop's own handlers do not), written
    // before the desktop's application list is first read.
    const QString applications =
        qEnvironmentVariable("XDG_DATA_HOME") + QLatin1String("/applications");
    QVERIFY(QDir().mkpath(applications));
    QFile viewer(applications + QLatin1String("/wakemere-test-viewer.desktop"));
    QVERIFY(viewer.open(QIODevice::WriteOnly));
    viewer.write("[Desktop Entry]\nType=Application\nName=Test viewer\nExec="
                 + qgetenv("TESTDESK_DIR") + "/bin/testdesk-document %f\n");
}

void it_actions::cleanup()
{
    while (QWidget *chooser = openWithDialog())
        delete chooser;
}

QString it_actions::makeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void it_actions::documentReachesItsApplication_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "my notes for today.txt";
    QTest::newRow("quotes") << "it's \"quoted\".txt";
    QTest::newRow("shell characters") << "$HOME; rm -rf x & `id` | y.txt";
    QTest::newRow("newline") << "two\nlines.txt";
    QTest::newRow("leading dash") << "-rf.txt";
    QTest::newRow("backslash escapes") << "tab\\tand\\nnewline.txt";
    QTest::newRow("non-ASCII") << QString::fromUtf8("r\u00e9veil \u23f0.txt");
}

void it_actions::documentReachesItsApplication()
{
    QFETCH(QString, name);
    const QString path = makeFile(name, "Take the bread out.\n");
    RealDesk desk;
    const int before = documentCalls().size();
    desk.fire(OpenFile, path);
    QTRY_COMPARE_WITH_TIMEOUT(documentCalls().size(), before + 1, 10000);
    QCOMPARE(documentCalls().last(), QStringList{path});
    QVERIFY(!openWithDialog());
}

void it_actions::programRunsWithoutArguments()
{
    const QString record = m_dir.filePath(QStringLiteral("program.log"));
    const QString fds = m_dir.filePath(QStringLiteral("program.fds"));
    const QByteArray script = "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$0\" >> '"
                              + record.toUtf8() + "'\nexec ls /proc/self/fd > '" + fds.toUtf8()
                              + "'\n";
    const QString path = makeFile(QStringLiteral("-back up; $now 'daily'"), script);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // One of ours that would be inherited if the program got more than its standard three.
    const int ours = ::open("/dev/null", O_RDONLY);
    QVERIFY(ours > STDERR_FILENO);
    RealDesk desk;
    desk.fire(RunProgram, path);
    QTRY_COMPARE_WITH_TIMEOUT(contentsOf(record), QStringLiteral("0|%1\n").arg(path), 10000);
    QVERIFY(!documentCalls().contains(QStringList{path}));
    ::close(ours);
    // Standard input, output and error, and the folder ls reads.
    QTRY_COMPARE(contentsOf(fds), QStringLiteral("0\n1\n2\n3\n"));
}

void it_actions::unassociatedFileOpensTheChooser()
{
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QStringLiteral("org.freedesktop.portal.Desktop")));
    const QString path = makeFile(QStringLiteral("raw data; $1.bin"), unknownBytes());
    RealDesk desk;
    const int before = documentCalls().size();
    desk.fire(OpenFile, path);
    QTRY_VERIFY(openWithDialog());
    QCOMPARE(documentCalls().size(), before);

    QWidget *chooser = openWithDialog();
    auto *apps = chooser->findChild<QListWidget *>("apps");
    const QList<QListWidgetItem *> viewer = apps->findItems("Test viewer", Qt::MatchExactly);
    QCOMPARE(viewer.size(), 1);
    apps->setCurrentItem(viewer.first());
    chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->click();
    QTRY_COMPARE_WITH_TIMEOUT(documentCalls().size(), before + 1, 10000);
    QCOMPARE(documentCalls().last(), QStringList{path});
    QTRY_VERIFY(!openWithDialog());
}

void it_actions::portalChoosesWhereItRuns()
{
    QDBusConnection portalBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
    FakePortal portal;
    QVERIFY(portalBus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                     QDBusConnection::ExportAllSlots));
    QVERIFY(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));

    const QString path = makeFile(QStringLiteral("more data \"x\".bin"), unknownBytes());
    RealDesk desk;
    desk.fire(OpenFile, path);
    QTRY_COMPARE(portal.files, QStringList{path});
    QCOMPARE(portal.options.first().value(QStringLiteral("ask")), QVariant(true));
    QVERIFY(!openWithDialog());

    portalBus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
}

void it_actions::powerRequests_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("call");
    QTest::newRow("shutdown") << "--power-off" << "PowerOff True";
    QTest::newRow("restart") << "--reboot" << "Reboot True";
}

// In a process of its own that asks and leaves its event loop at once, as the end of a
// shutdown or restart countdown does, then waits for the answer as main() does: the request
// must still reach logind.
void it_actions::powerRequests()
{
    QFETCH(QString, request);
    const int before = logindCalls().size();
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {request});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), 0);
    QTRY_COMPARE(logindCalls().size(), before + 1);
    QTEST(logindCalls().last(), "call");
}

int main(int argc, char *argv[])
{
    const QByteArray request = argc == 2 ? argv[1] : "";
    if (request == "--power-off" || request == "--reboot") {
        QCoreApplication app(argc, argv);
        LogindPowerControl power;
        QTimer::singleShot(0, &app, [&power, request] {
            if (request == "--power-off")
                power.powerOff();
            else
                power.reboot();
            QCoreApplication::exit(0);
        });
        const int status = app.exec();
        power.waitForAnswer();
        return status;
    }
    QApplication app(argc, argv);
    it_actions test;
    return QTest::qExec(&test, argc, argv);
}

#include "it_actions.moc"
