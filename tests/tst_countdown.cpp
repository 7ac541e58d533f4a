#include "countdown.h"
#include "snoozeentry.h"

#include <QTest>

/// The alarm window's countdown and the minutes the snooze dialog takes.
class tst_Countdown : public QObject
{
    Q_OBJECT
private slots:
    void tick_data();
    void tick();
    void endsAtTick_data();
    void endsAtTick();
    void neverEnds_data();
    void neverEnds();
    void snoozeText_data();
    void snoozeText();
};

void tst_Countdown::tick_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("endStep");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("minutesAfter");
    QTest::addColumn<int>("secondsAfter");
    QTest::newRow("first tick of 5") << "5" << 60 << false << "Time Remaining:  4: 59" << "5"
                                     << 59;
    QTest::newRow("ten seconds left") << "5" << 11 << false << "Time Remaining:  4: 10" << "5"
                                      << 10;
    QTest::newRow("nine seconds left") << "5" << 10 << false << "Time Remaining:  4 :0 9" << "5"
                                       << 9;
    QTest::newRow("roll-over") << "5" << 1 << false << "Time Remaining:  4 :0 0" << "4" << 60;
    QTest::newRow("blanks around the minutes") << " 5" << 60 << false
                                               << "Time Remaining:  4: 59" << " 5" << 59;
    QTest::newRow("last minute") << "1" << 60 << false << "Time Remaining:  0: 59" << "1" << 59;
    QTest::newRow("last roll-over") << "1" << 1 << false << "Time Remaining:  0 :0 0" << "0"
                                    << 60;
    QTest::newRow("none left: end step") << "0" << 60 << true << "Time Remaining: -1: 59" << "0"
                                         << 59;
    QTest::newRow("negative") << "-1" << 60 << false << "Time Remaining: -2: 59" << "-1" << 59;
    QTest::newRow("fraction") << "2.5" << 1 << false << "Time Remaining:  1.5 :0 0" << "1.5"
                              << 60;
}

void tst_Countdown::tick()
{
    QFETCH(QString, minutes);
    QFETCH(int, seconds);
    const auto step = countdownTick(minutes, qint16(seconds), QLocale::c());
    QVERIFY(step);
    QTEST(step->endStep, "endStep");
    QTEST(step->text, "text");
    QTEST(step->snzMins, "minutesAfter");
    QTEST(int(step->snzSecs), "secondsAfter");
}

void tst_Countdown::endsAtTick_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("tick");
    QTest::newRow("snooze of 0") << "0" << 1;
    QTest::newRow("shutdown or restart") << "1" << 61;
    QTest::newRow("snooze of 5") << "5" << 301;
    QTest::newRow("snooze of 5 typed with blanks") << " 5 " << 301;
}

void tst_Countdown::endsAtTick()
{
    QFETCH(QString, minutes);
    qint16 seconds = 60;
    int ticks = 0;
    for (;;) {
        const auto step = countdownTick(minutes, seconds, QLocale::c());
        QVERIFY(step);
        ++ticks;
        if (step->endStep)
            break;
        QVERIFY(ticks < 100000);
        minutes = step->snzMins;
        seconds = step->snzSecs;
    }
    QTEST(ticks, "tick");
}

void tst_Countdown::neverEnds_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::newRow("negative") << "-1";
    QTest::newRow("fraction") << "2.5";
    QTest::newRow("not a number") << "soon";
    QTest::newRow("empty") << "";
}

void tst_Countdown::neverEnds()
{
    QFETCH(QString, minutes);
    qint16 seconds = 60;
    for (int tick = 0; tick < 1000; ++tick) {
        const auto step = countdownTick(minutes, seconds, QLocale::c());
        if (!step)
            return;   // nothing to count: the window shows nothing new
        QVERIFY(!step->endStep);
        minutes = step->snzMins;
        seconds = step->snzSecs;
    }
}

void tst_Countdown::snoozeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("0") << "0" << true;
    QTest::newRow("5") << "5" << true;
    QTest::newRow("blank before 5") << " 5" << true;
    QTest::newRow("leading zero") << "05" << true;
    QTest::newRow("many leading zeros") << "0000000005" << true;
    QTest::newRow("leading zeros, more than a day") << "0000001441" << false;
    QTest::newRow("a day") << "1440" << true;
    QTest::newRow("more than a day") << "1441" << false;
    QTest::newRow("many digits") << "99999999999999999999" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "  " << false;
    QTest::newRow("letters") << "five" << false;
    QTest::newRow("negative") << "-1" << false;
    QTest::newRow("plus sign") << "+5" << false;
    QTest::newRow("fraction") << "2.5" << false;
    QTest::newRow("decimal comma") << "2,5" << false;
    QTest::newRow("exponent") << "1e1" << false;
    QTest::newRow("other digits") << QString::fromUtf8("\u0665") << false;
}

void tst_Countdown::snoozeText()
{
    QFETCH(QString, text);
    QFETCH(bool, taken);
    const auto error = snoozeError(text);
    QCOMPARE(!error, taken);
    if (error)
        QCOMPARE(*error, QString("Snooze must be a whole number of minutes from 0 to 1440"));
}

QTEST_GUILESS_MAIN(tst_Countdown)
#include "tst_countdown.moc"
