#include "desktop.h"
#include "mediaplayer.h"
#include "soundmodule.h"
#include "soundplayer.h"
#include "systemvolume.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

// The real sound player and volume on the PulseAudio server of scripts/testdesk --pulse, proved
// at its null sink.

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
    void playsAtTheSink_data();
    void playsAtTheSink();
    void volumeReachesTheSink_data();
    void volumeReachesTheSink();

private:
    QTemporaryDir m_dir;
};

void it_sound::playsAtTheSink_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("preparedAhead");
    QTest::newRow("WAV") << "wake up.wav" << false;
    QTest::newRow("MP3 prepared ahead") << "wake up.mp3" << true;
}

// Each replay is heard too: after a stop and after the end of the file.
void it_sound::playsAtTheSink()
{
    QFETCH(QString, name);
    QFETCH(bool, preparedAhead);
    SinkRecorder sink;
    QVERIFY(sink.started());
    const std::unique_ptr<SoundPlayer> player(wakemere_sound());
    MediaPlayer mp1(*player);
    mp1.setFile(makeTone(m_dir.filePath(name), 1.2));
    if (preparedAhead) {
        // as the clock does two seconds before a sound alarm
        mp1.prepare(mp1.file());
        QTest::qWait(2000);
    }
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

void it_sound::volumeReachesTheSink_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QList<int>>("expected");
    // The server's raw scale is cubic: 65536 * cbrt(channel / 0xFFFF), worked out by hand.
    QTest::newRow("silent") << 0u << QList<int>{0, 0};
    QTest::newRow("half amplitude, right only") << 0x7FFF0000u << QList<int>{0, 52016};
    QTest::newRow("full") << 0xFFFFFFFFu << QList<int>{65536, 65536};
}

void it_sound::volumeReachesTheSink()
{
    QFETCH(quint32, word);
    QFETCH(QList<int>, expected);
    // From a volume no row expects, so that a stale value cannot pass.
    QProcess::execute("pactl", {"set-sink-volume", qEnvironmentVariable("TESTDESK_SINK"), "12345"});
    QTRY_COMPARE(sinkVolume(), QList<int>({12345, 12345}));
    SystemVolume().setDeviceVolume(word);   // its end waits for the request
    QTRY_COMPARE(sinkVolume(), expected);
}

QTEST_GUILESS_MAIN(it_sound)
#include "it_sound.moc"
