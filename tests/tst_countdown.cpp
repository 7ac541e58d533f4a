#include "countdown.h"
#include "snoozeentry.h"

#include <QTest>

/// The alarm window's countdown texts and the minutes the snooze dialog takes. Where the
/// countdown ends is tst_alarmwindows' (ticks 1, 61 and 301).
class tst_Countdown : public QObject
{
    Q_OBJECT
private slots:
    void tick_data();
    void tick();
    void snoozeText_data();
    void snoozeText();
};

void tst_Countdown::tick_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");   // empty: nothing to count, nothing shown
    QTest::addColumn<QString>("after");  // minutes and seconds left; "end" for the end step
    QTest::newRow("first tick of 5") << "5" << 60 << "Time Remaining:  4: 59" << "5 59";
    QTest::newRow("ten seconds left") << "5" << 11 << "Time Remaining:  4: 10" << "5 10";
    QTest::newRow("nine seconds left") << "5" << 10 << "Time Remaining:  4 :0 9" << "5 9";
    QTest::newRow("roll-over") << "5" << 1 << "Time Remaining:  4 :0 0" << "4 60";
    QTest::newRow("blanks around the minutes") << " 5" << 60 << "Time Remaining:  4: 59"
                                               << " 5 59";
    QTest::newRow("last roll-over") << "1" << 1 << "Time Remaining:  0 :0 0" << "0 60";
    QTest::newRow("none left: end step") << "0" << 60 << "Time Remaining: -1: 59" << "end";
    QTest::newRow("negative never ends") << "-1" << 60 << "Time Remaining: -2: 59" << "-1 59";
    QTest::newRow("fraction never ends") << "2.5" << 1 << "Time Remaining:  1.5 :0 0"
                                         << "1.5 60";
    QTest::newRow("not a number") << "soon" << 60 << "" << "";
}

void tst_Countdown::tick()
{
    QFETCH(QString, minutes);
    QFETCH(int, seconds);
    const auto step = countdownTick(minutes, qint16(seconds), QLocale::c());
    QTEST(step ? step->text : QString(), "text");
    if (step) {
        QTEST(step->endStep ? QString("end")
                            : step->snzMins + QLatin1Char(' ') + QString::number(step->snzSecs),
              "after");
    }
}

void tst_Countdown::snoozeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    // Blanks, signs, points, exponents and leading zeros are checked against a reference by
    // tests/fuzz, from its seeds on; here the refusal's text and what the fuzzer cannot send.
    QTest::newRow("0") << "0" << true;
    QTest::newRow("a nine") << "59" << true;
    QTest::newRow("many digits") << "99999999999999999999" << false;
    QTest::newRow("other digits") << QString::fromUtf8("\u0665") << false;
}

void tst_Countdown::snoozeText()
{
    QFETCH(QString, text);
    QFETCH(bool, taken);
    const QString refused = "Snooze must be a whole number of minutes from 0 to 1440";
    QCOMPARE(snoozeError(text).value_or(QString()), taken ? QString() : refused);
}

QTEST_GUILESS_MAIN(tst_Countdown)
#include "tst_countdown.moc"
