#include "desktop.h"
#include "mediaplayer.h"
#include "soundmodule.h"
#include "soundplayer.h"
#include "systemvolume.h"

#include <memory>

#include <sys/stat.h>

// The real sound player and volume on the PulseAudio server of scripts/testdesk --pulse, proved
// at its null sink; and where the sound file is broken, or no sound server runs.

namespace {

/// The raw volume of each channel of the test sink, as pactl reports it.
QList<int> sinkVolume()
{
    QProcess pactl;
    pactl.start("pactl", {"get-sink-volume", qEnvironmentVariable("TESTDESK_SINK")});
    pactl.waitForFinished(10000);
    const QString first = QString::fromUtf8(pactl.readAllStandardOutput()).section('\n', 0, 0);
    QList<int> channels;
    static const QRegularExpression raw(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (auto it = raw.globalMatch(first); it.hasNext();)
        channels << it.next().captured(1).toInt();
    return channels;
}

} // namespace

class it_sound : public QObject
{
    Q_OBJECT
private slots:
    void playsAtTheSink();
    void volumeReachesTheSink();
    void brokenSoundFile_data();
    void brokenSoundFile();
    void noSoundServer();

private:
    QTemporaryDir m_dir;
};

// Prepared ahead, as the clock does two seconds before a sound alarm; each replay is heard too,
// started afresh after a stop and after the end of the file.
void it_sound::playsAtTheSink()
{
    SinkRecorder sink;
    QVERIFY(sink.started());
    const std::unique_ptr<SoundPlayer> player(wakemere_sound());
    MediaPlayer mp1(*player);
    mp1.setFile(makeTone(m_dir.filePath("wake up.mp3"), 1.2));
    mp1.prepare(mp1.file());
    QTest::qWait(2000);
    const auto after = [&sink](auto act) {
        act();
        QTest::qWait(Onset);
        return sink.listen(300);
    };
    const auto play = [&mp1] { mp1.play(); };
    QVERIFY2(after(play).sounds(FileTone), "the first play was not heard");
    QVERIFY(after([&mp1] { mp1.stop(); }).silent());
    QVERIFY2(after(play).sounds(FileTone), "the play after a stop was not heard");
    QVERIFY2(after([] { QTest::qWait(1000); }).silent(), "it played on after the end");
    QVERIFY2(after(play).sounds(FileTone), "the play after the end was not heard");
}

// The server's raw scale is cubic: 65536 * cbrt(channel / 0xFFFF), worked out by hand. Each
// volume differs from the one before (the sink starts at full), so no stale one passes.
void it_sound::volumeReachesTheSink()
{
    SystemVolume().setDeviceVolume(0x7FFF0000);   // half amplitude, right only; its end waits
    QTRY_COMPARE(sinkVolume(), (QList<int>{0, 52016}));
    SystemVolume().setDeviceVolume(0xFFFFFFFF);
    QTRY_COMPARE(sinkVolume(), (QList<int>{65536, 65536}));
}

void it_sound::brokenSoundFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not a sound") << "garbage";
    QTest::newRow("a header and no samples") << "no samples";
    QTest::newRow("a named pipe nobody writes to") << "fifo";
}

// Playing never waits on the file, and the built-in tone stands in.
void it_sound::brokenSoundFile()
{
    QFETCH(QString, fault);
    const QString path = m_dir.filePath(fault + ".wav");
    if (fault == "garbage")
        writeFile(path, QByteArray(50000, '\x5a'));
    else if (fault == "no samples")
        QCOMPARE(QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", path,
                                           "trim", "0", "0"}), 0);
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
void it_sound::noSoundServer()
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
    // A second of it, and the file's own: the built-in tone would have followed a failure.
    QTRY_VERIFY(QFileInfo(out).size() >= 44100 * 4);
    QCOMPARE(failures.count(), 0);

    QVERIFY(staysResponsive([] { SystemVolume().setDeviceVolume(0x7FFF7FFF); }));
}

QTEST_GUILESS_MAIN(it_sound)
#include "it_sound.moc"
