#include "fakeopener.h"
#include "fakesoundplayer.h"
#include "mediaplayer.h"
#include "openorrun.h"

#include <QTest>

/// The program's player over a fake backend, and how program and document alarms open.
class tst_MediaPlayer : public QObject
{
    Q_OBJECT
private slots:
    void play_data();
    void play();
    void openOrRun_data();
    void openOrRun();
};

void tst_MediaPlayer::play_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("script");   // p: play, s: stop, f: the backend fails, n: new file
    QTest::addColumn<QStringList>("played");
    const QString broken = QStringLiteral("/music/broken.mp3");
    const QString tone = MediaPlayer::AlarmTone;
    QTest::newRow("plays again after stop") << "/music/a.wav" << "spsp"
                                            << QStringList{"/music/a.wav", "/music/a.wav"};
    QTest::newRow("no file chosen: the tone") << "" << "p" << QStringList{tone};
    QTest::newRow("blank file name: the tone") << "  " << "p" << QStringList{tone};
    // The end of a snooze sounds the tone again, without trying the file once more.
    QTest::newRow("refused file: the tone, after a snooze too") << broken << "pfsp"
                                                                << QStringList{broken, tone, tone};
    QTest::newRow("failure after stop stays silent") << broken << "psf" << QStringList{broken};
    QTest::newRow("failing tone gives up") << broken << "pfff" << QStringList{broken, tone};
    QTest::newRow("new file is tried again") << broken << "pfnp"
                                             << QStringList{broken, tone, "/music/good.mp3"};
}

void tst_MediaPlayer::play()
{
    QFETCH(QString, file);
    QFETCH(QString, script);
    FakeSoundPlayer sound;
    MediaPlayer mp1(sound);
    mp1.setFile(file);
    for (const QChar step : script) {
        if (step == 'p')
            mp1.play();
        else if (step == 's')
            mp1.stop();
        else if (step == 'f')
            sound.fail();
        else
            mp1.setFile("/music/good.mp3");
    }
    QTEST(sound.played, "played");
    QCOMPARE(sound.playing, script.endsWith('p'));
}

void tst_MediaPlayer::openOrRun_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("ran");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("openedWith");
    const QString program = "/opt/bin/backup now";
    const QString broken = "/mnt/usb/-notes.txt";
    const QString document = "/home/me/it's $HOME; a \"plan\".pdf";
    const QString unknown = "/home/me/data.bin";
    QTest::newRow("program runs") << program << QStringList{program} << QStringList()
                                  << QStringList();
    QTest::newRow("executable that does not start opens as a document")
        << broken << QStringList{broken} << QStringList{broken} << QStringList();
    QTest::newRow("document opens") << document << QStringList() << QStringList{document}
                                    << QStringList();
    QTest::newRow("no application: Open With")
        << unknown << QStringList() << QStringList{unknown} << QStringList{unknown};
    QTest::newRow("missing file: nothing more") << "/gone.txt" << QStringList()
                                                << QStringList{"/gone.txt"} << QStringList();
    QTest::newRow("no file chosen: nothing") << "" << QStringList() << QStringList()
                                             << QStringList();
}

void tst_MediaPlayer::openOrRun()
{
    QFETCH(QString, path);
    FakeOpener opener;
    opener.programs = {"/opt/bin/backup now", "/mnt/usb/-notes.txt"};
    opener.unstartable = {"/mnt/usb/-notes.txt"};
    opener.unassociated = {"/home/me/data.bin"};
    if (path == QLatin1String("/gone.txt"))
        opener.documentResult = Opener::Result::Failed;
    ::openOrRun(opener, path);
    QTEST(opener.ran, "ran");
    QTEST(opener.opened, "opened");
    QTEST(opener.openedWith, "openedWith");
}

QTEST_GUILESS_MAIN(tst_MediaPlayer)
#include "tst_mediaplayer.moc"
