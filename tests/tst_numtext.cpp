#include "countdown.h"
#include "filefilter.h"
#include "numtext.h"
#include "snoozeentry.h"
#include "timeentry.h"

#include <QTest>

/// Numbers as the boxes take them and the windows show them; the file dialogs' filters.
class tst_NumText : public QObject
{
    Q_OBJECT
private slots:
    void numStr_data();
    void numStr();
    void toNumber_data();
    void toNumber();
    void toInt16_data();
    void toInt16();
    void nameFilters_data();
    void nameFilters();
    void tick_data();
    void tick();
    void snoozeText_data();
    void snoozeText();
    void checkAlarmTime_data();
    void checkAlarmTime();
};

void tst_NumText::numStr_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero gets a blank") << qint64(0) << " 0";
    QTest::newRow("two digits") << qint64(59) << " 59";
    QTest::newRow("negative has its sign instead") << qint64(-2) << "-2";
}

void tst_NumText::numStr()
{
    QFETCH(qint64, n);
    QFETCH(QString, expected);
    QCOMPARE(::numStr(n), expected);
    QCOMPARE(::numStr(double(n)), expected);
    QCOMPARE(trimmedNum(n), expected.trimmed());
}

// Text in the C locale is checked against a reference by tests/fuzz, from its seeds on (signs,
// points, letters, nan, grouping, blanks, exponents, underflow); here the other locales.
void tst_NumText::toNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("german point groups, refused") << "de_DE" << "1.5" << false << 0.0;
    QTest::newRow("german comma") << "de_DE" << ",5" << true << 0.5;
    QTest::newRow("german decimal") << "de_DE" << "1,5" << true << 1.5;
    QTest::newRow("point after an exponent") << "C" << "1e5." << false << 0.0;
}

void tst_NumText::toNumber()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const auto result = ::toNumber(text, QLocale(locale));
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(*result, value);
}

void tst_NumText::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("half rounds to even zero") << ".5" << true << 0;
    QTest::newRow("one and a half to two") << "1.5" << true << 2;
    QTest::newRow("two and a half to two") << "2.5" << true << 2;
    QTest::newRow("negative one and a half") << "-1.5" << true << -2;
    QTest::newRow("rounds past the largest") << "32767.5" << false << 0;
}

void tst_NumText::toInt16()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const auto result = ::toInt16(text, QLocale::c());
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(int(*result), value);
}

void tst_NumText::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("sounds") << "MP3 File(*.mp3)|*.mp3|Sound Files(*.wav)|*.wav"
                            << QStringList{"MP3 File (*.mp3)", "Sound Files (*.wav)"};
    QTest::newRow("programs, also without an extension")
        << "Programs(*.exe)|*.exe" << QStringList{"Programs (*.exe)", "All Files (*)"};
    QTest::newRow("all files match names without a dot") << "All Files(*.*)|*.*"
                                                         << QStringList{"All Files (*)"};
    QTest::newRow("dangling description is dropped") << "Sounds(*.wav)|*.wav|Odd"
                                                     << QStringList{"Sounds (*.wav)"};
}

void tst_NumText::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(nameFiltersFrom(filter), expected);
}

// Where the countdown ends is tst_alarmwindows' (ticks 1, 61 and 301).
void tst_NumText::tick_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");   // empty: nothing to count, nothing shown
    QTest::addColumn<QString>("after");  // minutes and seconds left; "end" for the end step
    QTest::newRow("ten seconds left") << "5" << 11 << "Time Remaining:  4: 10" << "5 10";
    QTest::newRow("nine seconds left") << "5" << 10 << "Time Remaining:  4 :0 9" << "5 9";
    QTest::newRow("blanks around the minutes") << " 5" << 60 << "Time Remaining:  4: 59"
                                               << " 5 59";
    QTest::newRow("last roll-over") << "1" << 1 << "Time Remaining:  0 :0 0" << "0 60";
    QTest::newRow("none left: end step") << "0" << 60 << "Time Remaining: -1: 59" << "end";
    QTest::newRow("negative never ends") << "-1" << 60 << "Time Remaining: -2: 59" << "-1 59";
    QTest::newRow("fraction never ends") << "2.5" << 1 << "Time Remaining:  1.5 :0 0"
                                         << "1.5 60";
    QTest::newRow("not a number") << "soon" << 60 << "" << "";
}

void tst_NumText::tick()
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

void tst_NumText::snoozeText_data()
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

void tst_NumText::snoozeText()
{
    QFETCH(QString, text);
    QFETCH(bool, taken);
    const QString refused = "Snooze must be a whole number of minutes from 0 to 1440";
    QCOMPARE(snoozeError(text).value_or(QString()), taken ? QString() : refused);
}

// What tst_mainfrm cannot see through the boxes: rounding and the first refusal.
void tst_NumText::checkAlarmTime_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("result");   // the time stored, or the error
    const QString hour = "Hour must be in between 1 and 12";
    const QString minute = "Minute must be in between 00 and 59";
    const QString second = "Seconds cannot be more than 59";
    QTest::newRow("leading zeros") << "07" << "05" << "09" << "7:5:9";
    QTest::newRow("12:59:59") << "12" << "59" << "59" << "12:59:59";
    QTest::newRow("hour rounds up into range") << "1." << "0" << "0" << "1:0:0";
    QTest::newRow("minute rounds half to even") << "1" << "2.5" << "0" << "1:2:0";
    QTest::newRow("hour .5 rounds to 0") << ".5" << "30" << "00" << hour;
    QTest::newRow("negative minute") << "7" << "-1" << "00" << minute;
    QTest::newRow("empty second") << "7" << "30" << "" << second;
    QTest::newRow("second 60") << "7" << "30" << "60" << second;
    QTest::newRow("first bad box wins") << "13" << "" << "" << hour;
}

void tst_NumText::checkAlarmTime()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, second);
    const TimeCheck check = ::checkAlarmTime(hour, minute, second, QLocale::c());
    QCOMPARE(check.time.has_value(), check.error.isEmpty());
    QTEST(check.time ? QString("%1:%2:%3").arg(check.time->hour).arg(check.time->minute)
                               .arg(check.time->second)
                     : check.error,
          "result");
}

QTEST_GUILESS_MAIN(tst_NumText)
#include "tst_numtext.moc"
