#include "alarmscanner.h"
#include "timeentry.h"

#include <QTest>

Q_DECLARE_METATYPE(TimeBox)

class tst_TimeEntry : public QObject
{
    Q_OBJECT
private slots:
    void typingError_data();
    void typingError();
    void checkAlarmTime_data();
    void checkAlarmTime();
    void offsetAndDueHour_data();
    void offsetAndDueHour();
    void statusTexts();
};

void tst_TimeEntry::typingError_data()
{
    QTest::addColumn<TimeBox>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString hour = "Hour must be in between 1 and 12";
    const QString minute = "Minute must be in between 00 and 59";
    const QString second = "Seconds cannot be more than 59";
    QTest::newRow("hour 13") << TimeBox::Hour << "13" << hour;
    QTest::newRow("hour 12") << TimeBox::Hour << "12" << "";
    QTest::newRow("hour 00") << TimeBox::Hour << "00" << "";
    QTest::newRow("hour 0") << TimeBox::Hour << "0" << "";
    QTest::newRow("hour -5") << TimeBox::Hour << "-5" << "";
    QTest::newRow("hour .5") << TimeBox::Hour << ".5" << "";
    QTest::newRow("hour 99") << TimeBox::Hour << "99" << hour;
    QTest::newRow("letter") << TimeBox::Hour << "a" << "";
    QTest::newRow("empty") << TimeBox::Hour << "" << "";
    QTest::newRow("minute 59") << TimeBox::Minute << "59" << "";
    QTest::newRow("minute 60") << TimeBox::Minute << "60" << minute;
    QTest::newRow("second 60") << TimeBox::Second << "60" << second;
    QTest::newRow("second 00") << TimeBox::Second << "00" << "";
}

void tst_TimeEntry::typingError()
{
    QFETCH(TimeBox, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(::typingError(box, text, QLocale::c()).value_or(QString()), message);
}

void tst_TimeEntry::checkAlarmTime_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("s");
    const QString hour = "Hour must be in between 1 and 12";
    const QString minute = "Minute must be in between 00 and 59";
    const QString second = "Seconds cannot be more than 59";
    QTest::newRow("7:30:00") << "7" << "30" << "00" << "" << 7 << 30 << 0;
    QTest::newRow("leading zeros") << "07" << "05" << "09" << "" << 7 << 5 << 9;
    QTest::newRow("12:59:59") << "12" << "59" << "59" << "" << 12 << 59 << 59;
    QTest::newRow("hour rounds up into range") << "1." << "0" << "0" << "" << 1 << 0 << 0;
    QTest::newRow("minute rounds half to even") << "1" << "2.5" << "0" << "" << 1 << 2 << 0;
    QTest::newRow("hour 0 never fires") << "0" << "30" << "00" << hour << 0 << 0 << 0;
    QTest::newRow("hour .5 rounds to 0") << ".5" << "30" << "00" << hour << 0 << 0 << 0;
    QTest::newRow("negative hour") << "-5" << "30" << "00" << hour << 0 << 0 << 0;
    QTest::newRow("empty hour") << "" << "30" << "00" << hour << 0 << 0 << 0;
    QTest::newRow("empty minute") << "7" << "" << "00" << minute << 0 << 0 << 0;
    QTest::newRow("letters in minute") << "7" << "ab" << "00" << minute << 0 << 0 << 0;
    QTest::newRow("negative minute") << "7" << "-1" << "00" << minute << 0 << 0 << 0;
    QTest::newRow("empty second") << "7" << "30" << "" << second << 0 << 0 << 0;
    QTest::newRow("second 60") << "7" << "30" << "60" << second << 0 << 0 << 0;
    QTest::newRow("first bad box wins") << "13" << "" << "" << hour << 0 << 0 << 0;
}

void tst_TimeEntry::checkAlarmTime()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, second);
    QFETCH(QString, error);
    const TimeCheck check = ::checkAlarmTime(hour, minute, second, QLocale::c());
    QCOMPARE(check.error, error);
    QCOMPARE(check.time.has_value(), error.isEmpty());
    if (check.time) {
        QTEST(int(check.time->hour), "h");
        QTEST(int(check.time->minute), "m");
        QTEST(int(check.time->second), "s");
    }
}

void tst_TimeEntry::offsetAndDueHour_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<bool>("am");
    QTest::addColumn<double>("offset");
    QTest::addColumn<int>("due");
    QTest::addColumn<bool>("showsPm");
    QTest::newRow("12 AM is midnight") << 12 << true << -12.0 << 0 << false;
    QTest::newRow("1 AM") << 1 << true << 0.0 << 1 << false;
    QTest::newRow("11 AM") << 11 << true << 0.0 << 11 << false;
    QTest::newRow("12 PM is noon") << 12 << false << 0.0 << 12 << true;
    QTest::newRow("1 PM") << 1 << false << 12.0 << 13 << true;
    QTest::newRow("7 PM") << 7 << false << 12.0 << 19 << true;
    QTest::newRow("11 PM") << 11 << false << 12.0 << 23 << true;
}

void tst_TimeEntry::offsetAndDueHour()
{
    QFETCH(int, hour);
    QFETCH(bool, am);
    QFETCH(double, offset);
    QFETCH(int, due);
    QFETCH(bool, showsPm);
    QCOMPARE(offsetFor(qint16(hour), am), offset);
    AlarmSlot slot;
    slot.almHour = qint16(hour);
    slot.almOffset = offset;
    QCOMPARE(dueHour(slot), due);
    QCOMPARE(armedAsPm(qint16(hour), offset), showsPm);
}

void tst_TimeEntry::statusTexts()
{
    QCOMPARE(activateStatus(1, "7", "30", "00", "AM"), QString("Alarm 1 Set For 7:30:00 AM"));
    QCOMPARE(activateStatus(5, "07", "5", "0", "PM"), QString("Alarm 5 Set For 07:5:0 PM"));
    QCOMPARE(deactivateStatus(3), QString("Alarm 3 Deactivated"));
    QCOMPARE(notSetStatus(2), QString("Alarm 2 Not Set"));
}

QTEST_GUILESS_MAIN(tst_TimeEntry)
#include "tst_timeentry.moc"
