#include "blinktimeout.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

class tst_BlinkTimeout : public QObject
{
    Q_OBJECT
private slots:
    void quietAfterTimeoutBackOnInput_data();
    void quietAfterTimeoutBackOnInput();
    void desktopBlinkingBackWhenGone();
};

void tst_BlinkTimeout::quietAfterTimeoutBackOnInput_data()
{
    QTest::addColumn<bool>("key");
    QTest::newRow("key press") << true;
    QTest::newRow("click") << false;
}

void tst_BlinkTimeout::quietAfterTimeoutBackOnInput()
{
    QFETCH(bool, key);
    const int desktop = QApplication::cursorFlashTime();
    QVERIFY(desktop > 0);
    QLineEdit box;
    box.show();
    BlinkTimeout timeout(50);
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
    QTRY_COMPARE(QApplication::cursorFlashTime(), 0);

    if (key)
        QTest::keyClick(&box, Qt::Key_A);
    else
        QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
    // Input starts the wait afresh.
    QTRY_COMPARE(QApplication::cursorFlashTime(), 0);
}

void tst_BlinkTimeout::desktopBlinkingBackWhenGone()
{
    const int desktop = QApplication::cursorFlashTime();
    {
        BlinkTimeout timeout(10);
        QTRY_COMPARE(QApplication::cursorFlashTime(), 0);
    }
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
}

QTEST_MAIN(tst_BlinkTimeout)
#include "tst_blinktimeout.moc"
