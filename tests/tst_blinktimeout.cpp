#include "blinktimeout.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <optional>

class tst_BlinkTimeout : public QObject
{
    Q_OBJECT
private slots:
    void quietAfterTimeoutBackOnInput();
};

void tst_BlinkTimeout::quietAfterTimeoutBackOnInput()
{
    const int desktop = QApplication::cursorFlashTime();
    QVERIFY(desktop > 0);
    QLineEdit box;
    box.show();
    std::optional<BlinkTimeout> timeout(50);
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
    QTRY_COMPARE(QApplication::cursorFlashTime(), 0);

    // Input brings the blinking back and starts the wait afresh.
    QTest::keyClick(&box, Qt::Key_A);
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
    QTRY_COMPARE(QApplication::cursorFlashTime(), 0);
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
    QTRY_COMPARE(QApplication::cursorFlashTime(), 0);

    // Gone, it gives the desktop's blinking back.
    timeout.reset();
    QCOMPARE(QApplication::cursorFlashTime(), desktop);
}

QTEST_MAIN(tst_BlinkTimeout)
#include "tst_blinktimeout.moc"
