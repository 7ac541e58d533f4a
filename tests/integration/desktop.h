#pragma once

#include <QtTest>
#include <QtWidgets>

#include <cmath>

// What the tests see of the virtual desktop of scripts/testdesk: the null sink, the recording
// handlers, and whether the program keeps turning.

constexpr double FileTone = 440;    // what the tests' sound files sound
constexpr double AlarmTone = 1760;  // the built-in tone
constexpr double Audible = 0.05;    // amplitude of a tone that reached the sink
constexpr double Silent = 0.002;
constexpr int Onset = 400;          // from play or stop to the sink, with room to spare
constexpr qint64 FrozenMs = 10000;  // this much longer than asked, and the program has frozen

/// What the sink got: 16-bit mono samples, 22,050 a second.
struct Samples
{
    QByteArray bytes;

    /// How strongly a frequency sounds (Goertzel): the amplitude of its sine, 0 to 1.
    double level(double frequency) const
    {
        const auto *sample = reinterpret_cast<const qint16 *>(bytes.constData());
        const qsizetype count = bytes.size() / 2;
        const double k = 2 * std::cos(2 * M_PI * frequency / 22050);
        double s1 = 0, s2 = 0;
        for (qsizetype i = 0; i < count; ++i) {
            const double s0 = sample[i] / 32768.0 + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return count ? 2 * std::sqrt(std::max(s1 * s1 + s2 * s2 - k * s1 * s2, 0.0)) / count : 0;
    }
    /// Whether the tone is loud, and clearly not the other one.
    bool sounds(double tone) const
    {
        const double other = tone == FileTone ? AlarmTone : FileTone;
        return level(tone) > Audible && level(tone) > 10 * level(other);
    }
    bool silent() const { return level(FileTone) < Silent && level(AlarmTone) < Silent; }
};

/// Records the test sink's monitor, 16-bit mono.
class SinkRecorder
{
public:
    SinkRecorder()
    {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec,
                         [this] { m_data.bytes += m_parec.readAllStandardOutput(); });
        m_parec.start("parec", {"-d", qEnvironmentVariable("TESTDESK_SINK") + ".monitor", "--raw",
                                "--format=s16le", "--rate=22050", "--channels=1",
                                "--latency-msec=20"});
    }
    ~SinkRecorder()
    {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }
    /// Whether samples flow: an idle sink sends the first ones after up to two seconds.
    bool started()
    {
        return QTest::qWaitFor([this] { return !m_data.bytes.isEmpty(); }, 5000);
    }
    /// What the sink gets during the next `msecs`.
    Samples listen(int msecs)
    {
        const qsizetype from = m_data.bytes.size();
        QTest::qWait(msecs);
        return {m_data.bytes.mid(from)};
    }

private:
    QProcess m_parec;
    Samples m_data;
};

/// Writes a file and gives its path back.
inline QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/// Writes a file of the file tone at half volume, WAV or MP3 by its name, with sox.
inline QString makeTone(const QString &path, double seconds)
{
    if (QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", path, "synth",
                                  QString::number(seconds), "sine", QString::number(FileTone),
                                  "vol", "0.5"}) != 0)
        qFatal("sox could not make %s", qPrintable(path));
    return path;
}

/// Whether a call returns at once and the event loop then keeps turning for `msecs`: a frozen
/// program (a call that waits on a stalled service, 25 s) overruns by far.
template<typename Call>
bool staysResponsive(Call call, int msecs = 500)
{
    QElapsedTimer clock;
    clock.start();
    call();
    QTest::qWait(msecs);
    return clock.elapsed() < msecs + FrozenMs;
}

inline QString contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

/// What a recording handler of the test desktop got: its arguments ("log") or descriptors
/// ("fds"), one line per call.
inline QStringList handlerRecords(const QString &handler, const char *kind = "log")
{
    const QString folder = qEnvironmentVariable("TESTDESK_RECORD_DIR");
    return contentsOf(folder + '/' + handler + '.' + kind).split('\n', Qt::SkipEmptyParts);
}

/// The arguments of a handler's last call.
inline QStringList lastCall(const QString &handler)
{
    const QStringList records = handlerRecords(handler);
    if (records.isEmpty())
        return {"(none)"};
    return QJsonDocument::fromJson(records.last().toUtf8()).toVariant().toStringList();
}

/// The program's own "Open With" chooser, while it is shown.
inline QWidget *openWithDialog()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("OpenWithDialog") && window->isVisible())
            return window;
    }
    return nullptr;
}
