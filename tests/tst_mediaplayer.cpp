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
    void replaysAfterStop();
    void toneForUnplayable_data();
    void toneForUnplayable();
    void failures_data();
    void failures();
    void openOrRun_data();
    void openOrRun();
};

void tst_MediaPlayer::replaysAfterStop()
{
    FakeSoundPlayer sound;
    MediaPlayer mp1(sound);
    mp1.stop();   // nothing plays yet: harmless
    mp1.setFile("/music/a.wav");
    QCOMPARE(sound.played, QStringList());
    mp1.play();
    QVERIFY(sound.playing);
    mp1.stop();
    QVERIFY(!sound.playing);
    mp1.play();
    QCOMPARE(sound.played, QStringList({"/music/a.wav", "/music/a.wav"}));
}

void tst_MediaPlayer::toneForUnplayable_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("backendFails");
    QTest::newRow("no file chosen") << "" << false;
    QTest::newRow("blank file name") << "  " << false;
    QTest::newRow("file the backend refuses") << "/music/broken.mp3" << true;
}

void tst_MediaPlayer::toneForUnplayable()
{
    QFETCH(QString, file);
    QFETCH(bool, backendFails);
    FakeSoundPlayer sound;
    MediaPlayer mp1(sound);
    mp1.setFile(file);
    mp1.play();
    if (backendFails) {
        QCOMPARE(sound.last(), file);
        sound.fail();
    }
    QCOMPARE(sound.last(), MediaPlayer::AlarmTone);
    QVERIFY(sound.playing);

    // The end of a snooze sounds the tone again, without trying the file once more.
    mp1.stop();
    const int plays = sound.played.size();
    mp1.play();
    QCOMPARE(sound.played.size(), plays + 1);
    QCOMPARE(sound.last(), MediaPlayer::AlarmTone);
}

void tst_MediaPlayer::failures_data()
{
    QTest::addColumn<QString>("script");   // p: play, s: stop, f: the backend fails, n: new file
    QTest::addColumn<QStringList>("played");
    const QString broken = QStringLiteral("/music/broken.mp3");
    const QString tone = MediaPlayer::AlarmTone;
    QTest::newRow("failure after stop stays silent") << "psf" << QStringList{broken};
    QTest::newRow("failing tone gives up") << "pfff" << QStringList{broken, tone};
    QTest::newRow("new file is tried again") << "pfnp"
                                             << QStringList{broken, tone, "/music/good.mp3"};
}

void tst_MediaPlayer::failures()
{
    QFETCH(QString, script);
    FakeSoundPlayer sound;
    MediaPlayer mp1(sound);
    mp1.setFile("/music/broken.mp3");
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
