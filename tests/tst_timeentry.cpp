#include "timeentry.h"

#include <QTest>

/// What tst_mainfrm cannot see through the boxes: rounding and the first refusal.
class tst_TimeEntry : public QObject
{
    Q_OBJECT
private slots:
    void checkAlarmTime_data();
    void checkAlarmTime();
};

void tst_TimeEntry::checkAlarmTime_data()
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

void tst_TimeEntry::checkAlarmTime()
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

QTEST_GUILESS_MAIN(tst_TimeEntry)
#include "tst_timeentry.moc"
