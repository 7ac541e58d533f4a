#include "aboutfrm.h"
#include "desktopurlopener.h"
#include "fakeservices.h"
#include "forms.h"
#include "systemvolume.h"
#include "volfrm.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>

#include <unistd.h>

#include <cmath>

// Run on the virtual test desktop (scripts/testdesk), one function per desktop:
//   --pulse          volumeReachesTheSink
//   (nothing)        noSoundServerStaysQuiet
//   --x --xdg        addressReachesTheMailProgram

namespace {

/// The dialogs with the real volume and link backends; everything else stays a fake.
struct Desk : FakeServices
{
    SystemVolume realVolume;
    DesktopUrlOpener realUrls;
    Services real{table, clock,  dialogs, lifecycle, realVolume, realUrls,
                  trayIcon, mp1, opener, power,   sleep};
    Forms forms{real};

    /// Opens the volume dialog, moves the slider and presses OK.
    void pressOk(int position)
    {
        QPointer<volfrm> dialog = forms.volumeForm();
        dialog->show();
        dialog->findChild<QSlider *>(QStringLiteral("vol"))->setValue(position);
        dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

/// The raw volume of each channel of the test sink, as pactl reports it.
QList<int> sinkVolume()
{
    const QString out = run("pactl", {"get-sink-volume", qEnvironmentVariable("TESTDESK_SINK")});
    QList<int> channels;
    static const QRegularExpression raw(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (auto it = raw.globalMatch(out.section(QLatin1Char('\n'), 0, 0)); it.hasNext();)
        channels << it.next().captured(1).toInt();
    return channels;
}

bool near(const QList<int> &channels, int expected)
{
    return channels.size() == 2 && std::abs(channels[0] - expected) <= 1
           && std::abs(channels[1] - expected) <= 1;
}

QStringList mailRecords()
{
    QFile log(qEnvironmentVariable("TESTDESK_RECORD_DIR") + QStringLiteral("/mailto.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class it_dialogs : public QObject
{
    Q_OBJECT
private slots:
    void volumeReachesTheSink_data();
    void volumeReachesTheSink();
    void noSoundServerStaysQuiet();
    void addressReachesTheMailProgram();
};

void it_dialogs::volumeReachesTheSink_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("expected");
    // The server's raw scale is cubic: 65536 * cbrt(channel / 0xFFFF), worked out by hand.
    QTest::newRow("0 mutes") << 0 << 0;
    QTest::newRow("3 is 0x1FFF") << 3 << 32767;
    QTest::newRow("5 is 0x7FFF") << 5 << 52016;
    QTest::newRow("10 is full") << 10 << 65536;
}

void it_dialogs::volumeReachesTheSink()
{
    QFETCH(int, position);
    QFETCH(int, expected);
    QVERIFY2(!qEnvironmentVariableIsEmpty("TESTDESK_SINK"), "needs testdesk --pulse");
    // Start from a volume no row expects, so that a stale value cannot pass.
    run("pactl", {"set-sink-volume", qEnvironmentVariable("TESTDESK_SINK"), "12345"});
    QTRY_VERIFY(near(sinkVolume(), 12345));

    Desk desk;
    desk.pressOk(position);
    QTRY_VERIFY2(near(sinkVolume(), expected), qPrintable(QString::number(sinkVolume().value(0))));
}

void it_dialogs::noSoundServerStaysQuiet()
{
    QVERIFY2(qEnvironmentVariableIsEmpty("PULSE_SERVER"), "run without testdesk --pulse");
    Desk desk;
    desk.pressOk(4);
    QCOMPARE(desk.table.volLevel, qint16(4));
    QVERIFY(desk.dialogs.errors.isEmpty());
    // Leaving the scope waits for the attempt to finish; a hang would stop the test here.
}

void it_dialogs::addressReachesTheMailProgram()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("TESTDESK_RECORD_DIR"), "needs testdesk --x --xdg");
    Desk desk;
    QPointer<aboutfrm> box = desk.forms.aboutForm();
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QWidget *address = box->findChild<QWidget *>(QStringLiteral("Label4"));
    const QPoint target = address->mapToGlobal(address->rect().center());
    // A descriptor of ours without close-on-exec, as the sound server's are: the mail program
    // must not get it.
    const int ours = 200;
    QCOMPARE(::dup2(STDERR_FILENO, ours), ours);

    // A real click of the X server's pointer, as a user makes it.
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", QString::number(target.x()),
                                           QString::number(target.y()), "click", "1"}),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(mailRecords(), QStringList{"[\"mailto:wakemere@example.com\"]"},
                              10000);
    QFile fds(qEnvironmentVariable("TESTDESK_RECORD_DIR") + QStringLiteral("/mailto.fds"));
    QVERIFY(fds.open(QIODevice::ReadOnly));
    const QByteArrayList inherited = fds.readAll().trimmed().split(' ');
    QVERIFY2(!inherited.contains(QByteArray::number(ours)), fds.fileName().toUtf8());
    ::close(ours);
    delete box;
}

QTEST_MAIN(it_dialogs)
#include "it_dialogs.moc"
