#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QTest>

#include <cmath>

/// Records what reaches the test desktop's null sink, through its monitor, as 16-bit mono.
/// Positions are sample counts: mark() before and after something happens, then measure.
class SinkRecorder
{
public:
    static constexpr int Rate = 22050;

    explicit SinkRecorder(const QString &sink) : m_sink(sink) {}
    ~SinkRecorder() { stop(); }

    /// Starts recording and waits until samples flow: on an idle sink the first ones take as
    /// long as the sink's latency, up to two seconds.
    bool start()
    {
        m_parec.setProgram(QStringLiteral("parec"));
        m_parec.setArguments({QStringLiteral("-d"), m_sink + QStringLiteral(".monitor"),
                              QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                              QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=1"),
                              QStringLiteral("--latency-msec=20")});
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec,
                         [this] { m_data += m_parec.readAllStandardOutput(); });
        m_parec.start();
        if (!m_parec.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (m_data.isEmpty() && !deadline.hasExpired())
            QTest::qWait(20);
        return !m_data.isEmpty();
    }
    void stop()
    {
        if (m_parec.state() == QProcess::NotRunning)
            return;
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }

    /// The position now.
    int mark() const { return int(m_data.size() / 2); }

    /// The loudest sample between two positions, 0 to 1.
    double peak(int from, int to) const
    {
        int top = 0;
        for (int i = from; i < to; ++i)
            top = std::max(top, std::abs(int(sample(i))));
        return top / 32768.0;
    }
    /// How strongly a frequency sounds between two positions (Goertzel), 0 to 1.
    double level(double frequency, int from, int to) const
    {
        const double k = 2 * std::cos(2 * M_PI * frequency / Rate);
        double s1 = 0, s2 = 0;
        for (int i = from; i < to; ++i) {
            const double s0 = sample(i) / 32768.0 + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
        return to > from ? 2 * std::sqrt(std::max(power, 0.0)) / (to - from) : 0;
    }

private:
    qint16 sample(int i) const
    {
        return qint16(quint8(m_data.at(2 * i)) | (quint8(m_data.at(2 * i + 1)) << 8));
    }

    QString m_sink;
    QProcess m_parec;
    QByteArray m_data;
};

/// Writes a file of a steady tone at half volume, WAV or MP3 by its name, with sox.
inline QString makeTone(const QString &path, double seconds, double frequency)
{
    const QStringList arguments = {"-n", "-r", "44100", "-c", "2", path, "synth",
                                   QString::number(seconds), "sine", QString::number(frequency),
                                   "vol", "0.5"};
    if (QProcess::execute(QStringLiteral("sox"), arguments) != 0)
        qFatal("sox could not make %s", qPrintable(path));
    return path;
}
