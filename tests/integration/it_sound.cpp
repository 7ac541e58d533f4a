#include "mediaplayer.h"
#include "soundmodule.h"
#include "soundplayer.h"
#include "sinkrecorder.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr double FileTone = 440;    // what the test's own files sound
constexpr double AlarmTone = 1760;  // the built-in tone
constexpr double Audible = 0.05;    // peak of a sound that reached the sink
constexpr double Silent = 0.002;
constexpr int Onset = 400;          // from play or stop to the sink, with room to spare

} // namespace

/// The real player on a real PulseAudio server: every sound is proved at the null sink.
class it_sound : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void filesPlayAndReplay_data();
    void filesPlayAndReplay();
    void replaysAfterTheEnd();
    void toneStandsIn_data();
    void toneStandsIn();
    void truncatedWhilePlaying();
    void alsaWhereNoServerRuns();

private:
    /// What the sink got during `msecs`, starting `Onset` after `act`.
    struct Heard
    {
        double peak = 0;
        double file = 0;   // level of the test files' tone
        double alarm = 0;  // level of the built-in tone
    };
    template<typename Act>
    Heard listen(Act act, int msecs);
    QString makeSound(const QString &name, double seconds);

    QTemporaryDir m_dir;
    SinkRecorder *m_sink = nullptr;
    SoundPlayer *m_sound = nullptr;
    MediaPlayer *m_mp1 = nullptr;
};

void it_sound::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run inside scripts/testdesk --pulse");
    QVERIFY(m_dir.isValid());
}

void it_sound::init()
{
    m_sink = new SinkRecorder(qEnvironmentVariable("TESTDESK_SINK", "test_sink"));
    QVERIFY(m_sink->start());
    m_sound = wakemere_sound();
    m_mp1 = new MediaPlayer(*m_sound);
}

void it_sound::cleanup()
{
    delete m_mp1;
    delete m_sound;
    delete m_sink;
}

QString it_sound::makeSound(const QString &name, double seconds)
{
    const QString path = m_dir.filePath(name);
    return QFile::exists(path) ? path : makeTone(path, seconds, FileTone);
}

template<typename Act>
it_sound::Heard it_sound::listen(Act act, int msecs)
{
    act();
    QTest::qWait(Onset);
    const int from = m_sink->mark();
    QTest::qWait(msecs);
    const int to = m_sink->mark();
    return {m_sink->peak(from, to), m_sink->level(FileTone, from, to),
            m_sink->level(AlarmTone, from, to)};
}

void it_sound::filesPlayAndReplay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("preparedAhead");
    QTest::newRow("WAV") << "wake up.wav" << false;
    QTest::newRow("MP3") << "wake up.mp3" << false;
    QTest::newRow("WAV prepared ahead") << "wake up.wav" << true;
    QTest::newRow("MP3 prepared ahead") << "wake up.mp3" << true;
}

void it_sound::filesPlayAndReplay()
{
    QFETCH(QString, name);
    QFETCH(bool, preparedAhead);
    m_mp1->setFile(makeSound(name, 10));
    for (int round = 1; round <= 3; ++round) {
        if (preparedAhead) {
            // as the clock does two seconds before a sound alarm
            m_mp1->prepare(m_mp1->file());
            QTest::qWait(2000);
        }
        const Heard heard = listen([this] { m_mp1->play(); }, 500);
        QVERIFY2(heard.peak > Audible, qPrintable(QStringLiteral("play %1 was silent").arg(round)));
        QVERIFY2(heard.file > 10 * heard.alarm, "the alarm tone played instead");
        QVERIFY(listen([this] { m_mp1->stop(); }, 300).peak < Silent);
    }
}

void it_sound::replaysAfterTheEnd()
{
    m_mp1->setFile(makeSound(QStringLiteral("short.wav"), 0.5));
    QVERIFY(listen([this] { m_mp1->play(); }, 100).peak > Audible);
    QVERIFY(listen([] {}, 1000).peak < Silent);
    const Heard again = listen([this] { m_mp1->play(); }, 200);
    QVERIFY2(again.peak > Audible, "the replay after the end was silent");
}

void it_sound::toneStandsIn_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("plays");   // the second as at the end of a snooze
    QTest::newRow("missing file, played again") << "missing.mp3" << 2;
    QTest::newRow("not a sound") << "garbage.mp3" << 1;
}

void it_sound::toneStandsIn()
{
    QFETCH(QString, file);
    QFETCH(int, plays);
    const QString path = m_dir.filePath(file);
    if (file == QLatin1String("garbage.mp3")) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(20000, 'x'));
    }

    m_mp1->setFile(path);
    for (int round = 1; round <= plays; ++round) {
        const Heard heard = listen([this] { m_mp1->play(); }, 800);
        QVERIFY2(heard.peak > Audible, qPrintable(QStringLiteral("play %1 was silent").arg(round)));
        QVERIFY2(heard.alarm > 10 * heard.file,
                 qPrintable(QStringLiteral("play %1 was not the alarm tone").arg(round)));
        QVERIFY(listen([this] { m_mp1->stop(); }, 300).peak < Silent);
    }
}


void it_sound::truncatedWhilePlaying()
{
    // A file emptied while it plays (as when saved over) ends there, without noise, and what
    // is left of it is played afresh the next time: nothing, so the tone.
    const QString path = makeSound(QStringLiteral("cut short.wav"), 10);
    m_mp1->setFile(path);
    QVERIFY(listen([this] { m_mp1->play(); }, 200).peak > Audible);
    QVERIFY(QFile::resize(path, 0));
    QVERIFY2(listen([] {}, 500).peak < Silent, "it played on");
    const Heard again = listen([this] { m_mp1->play(); }, 800);
    QVERIFY2(again.alarm > 10 * again.file, "the replay was not the alarm tone");
}

void it_sound::alsaWhereNoServerRuns()
{
    // No server: the sound goes to ALSA's default device, here one that writes what it gets
    // to a file (16-bit stereo, as the test's files are).
    const QString out = m_dir.filePath(QStringLiteral("alsa.raw"));
    const QString config = m_dir.filePath(QStringLiteral("asound.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("pcm.!default { type file slave.pcm { type null } format raw file \""
               + QFile::encodeName(out) + "\" }\n");
    file.close();
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QFile::encodeName("unix:" + m_dir.filePath("no-sound-server")));
    qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
    m_mp1->setFile(makeSound(QStringLiteral("wake up.wav"), 10));
    m_mp1->play();
    QTRY_VERIFY(QFileInfo(out).size() >= 44100 * 4);
    m_mp1->stop();
    qputenv("PULSE_SERVER", server);
    qunsetenv("ALSA_CONFIG_PATH");

    file.setFileName(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray samples = file.read(44100 * 4);
    auto level = [&samples](double frequency) {
        const double k = 2 * std::cos(2 * M_PI * frequency / 44100);
        double s1 = 0, s2 = 0;
        for (int i = 0; i + 1 < samples.size(); i += 4) {  // the left channel
            const auto sample = qint16(quint8(samples[i]) | quint8(samples[i + 1]) << 8);
            const double s0 = sample / 32768.0 + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return std::sqrt(std::max(s1 * s1 + s2 * s2 - k * s1 * s2, 0.0));
    };
    QVERIFY2(level(FileTone) > 10 * level(AlarmTone), "ALSA did not get the file's sound");
}


QTEST_GUILESS_MAIN(it_sound)
#include "it_sound.moc"
