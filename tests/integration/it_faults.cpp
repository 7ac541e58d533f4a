#include "desktop.h"
#include "desktopopener.h"
#include "desktopurlopener.h"
#include "mediaplayer.h"
#include "qttrayicon.h"
#include "soundmodule.h"
#include "soundplayer.h"
#include "systemdsleepcontrol.h"
#include "systemvolume.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

#include <csignal>
#include <sys/stat.h>

// The real backends where parts of the desktop are missing or broken, on the virtual test
// desktop of scripts/testdesk --x --pulse --xdg, which has no tray host: nothing freezes, and
// what can still be done is done. A refused power request and a failing portal are it_actions'.

class it_faults : public QObject
{
    Q_OBJECT
private slots:
    void brokenSoundFile_data();
    void brokenSoundFile();
    void noSoundServer();
    void noTrayHost();
    void noMailProgram();
    void stalledSessionBus();

private:
    QTemporaryDir m_dir;
};

void it_faults::brokenSoundFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not a sound") << "garbage";
    QTest::newRow("a header and no samples") << "no samples";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a named pipe nobody writes to") << "fifo";
}

// Playing never waits on the file, and the built-in tone stands in.
void it_faults::brokenSoundFile()
{
    QFETCH(QString, fault);
    const QString path = m_dir.filePath(fault + ".wav");
    if (fault == "garbage")
        writeFile(path, QByteArray(50000, '\x5a'));
    else if (fault == "no samples")
        QCOMPARE(QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", path,
                                           "trim", "0", "0"}), 0);
    else if (fault == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (fault == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    SinkRecorder sink;
    QVERIFY(sink.started());
    const std::unique_ptr<SoundPlayer> player(wakemere_sound());
    MediaPlayer mp1(*player);
    mp1.setFile(path);
    QVERIFY(staysResponsive([&mp1] { mp1.play(); }));
    QVERIFY(QTest::qWaitFor([&sink] { return sink.listen(300).sounds(AlarmTone); }, 6000));
}

// The sound goes to ALSA's default device, here one that writes what it gets to a file, and
// the volume to ALSA's mixer, which has no card here.
void it_faults::noSoundServer()
{
    const QString out = m_dir.filePath(QStringLiteral("alsa.raw"));
    qputenv("ALSA_CONFIG_PATH", QFile::encodeName(writeFile(
        m_dir.filePath("asound.conf"), "pcm.!default { type file slave.pcm { type null } "
                                       "format raw file \"" + QFile::encodeName(out) + "\" }\n")));
    // A server named but not there, as when the desktop's sound server crashed.
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName("unix:" + m_dir.filePath("no-sound-server")));
    const auto restore = qScopeGuard([server] { qputenv("PULSE_SERVER", server); });

    const std::unique_ptr<SoundPlayer> player(wakemere_sound());
    QSignalSpy failures(player.get(), &SoundPlayer::failed);
    MediaPlayer mp1(*player);
    mp1.setFile(makeTone(m_dir.filePath("alarm.wav"), 5));
    mp1.play();
    QTRY_VERIFY(QFileInfo(out).size() >= 44100 * 4);
    mp1.stop();
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY2(Samples({written.read(44100 * 4), 2, 44100}).sounds(FileTone), "not the file's sound");
    QCOMPARE(failures.count(), 0);

    QVERIFY(staysResponsive([] { SystemVolume().setDeviceVolume(0x7FFF7FFF); }));
}

// Qt keeps a shown icon visible without a tray: the program must not take it for one there
// and hide its window into nothing.
void it_faults::noTrayHost()
{
    QtTrayIcon icon;
    QVERIFY(!icon.isAvailable());
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    QVERIFY(staysResponsive([&] { icon.show(QIcon(picture), QStringLiteral("Wakemere"), nullptr); }));
    QVERIFY(!icon.isShown());
}

void it_faults::noMailProgram()
{
    // Uninstalled, while the desktop's list of defaults still names it.
    QVERIFY(QFile::remove(qEnvironmentVariable("XDG_DATA_DIRS").section(':', 0, 0)
                          + "/applications/testdesk-mailto.desktop"));
    QVERIFY(staysResponsive(
        [] { DesktopUrlOpener().openUrl(QUrl("mailto:wakemere@example.com")); }, 2000));
    QCOMPARE(handlerRecords("mailto"), QStringList());
}

void it_faults::stalledSessionBus()
{
    const QString text = writeFile(m_dir.filePath("stalled.txt"), "Bring the keys.\n");
    const QString data = writeFile(m_dir.filePath("stalled.bin"), "\x01\xfe\xff");
    const pid_t bus = pid_t(QDBusConnection::sessionBus().interface()->servicePid(
        QStringLiteral("org.freedesktop.DBus")).value());
    QVERIFY(bus > 0);
    DesktopOpener opener;
    SystemdSleepControl sleep;
    sleep.setArmed(true);
    {
        // A bus that answers nobody: opening, asking for "Open With" and the wake-up request
        // must not wait on it, and the end waits only briefly.
        QCOMPARE(::kill(bus, SIGSTOP), 0);
        const auto resume = qScopeGuard([bus] { ::kill(bus, SIGCONT); });
        QVERIFY(staysResponsive([&] {
            opener.openDocument(text);
            opener.openWith(data);
            sleep.setWakeAt(QDateTime::currentDateTime().addSecs(3600));
            sleep.setStayAwake(true);
            sleep.finish();
        }));
    }
    // Once it answers, the document reaches its application, and with no portal here the
    // program's own chooser comes.
    QTRY_COMPARE_WITH_TIMEOUT(lastCall("document"), QStringList{text}, 10000);
    QTRY_VERIFY(openWithDialog());
    delete openWithDialog();
}

QTEST_MAIN(it_faults)
#include "it_faults.moc"
