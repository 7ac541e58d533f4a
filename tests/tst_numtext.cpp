#include "filefilter.h"
#include "numtext.h"

#include <QTest>

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
};

void tst_NumText::numStr_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero gets a blank") << qint64(0) << " 0";
    QTest::newRow("slot number") << qint64(1) << " 1";
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
    QTest::newRow("above half rounds up") << "7.6" << true << 8;
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

QTEST_GUILESS_MAIN(tst_NumText)
#include "tst_numtext.moc"
