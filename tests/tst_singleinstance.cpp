#include "singleinstance.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_SingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyAsksFirstToShow();
    void staleSocketIsTakenOver();
    void freedAfterFirstCopyEnds();
};

void tst_SingleInstance::secondCopyAsksFirstToShow()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("instance.socket");
    SingleInstance first(name);
    QSignalSpy shown(&first, &SingleInstance::activationRequested);
    QVERIFY(first.claim());
    SingleInstance second(name);
    QVERIFY(!second.claim());
    QTRY_COMPARE(shown.count(), 1);
}

void tst_SingleInstance::staleSocketIsTakenOver()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("instance.socket");
    QFile stale(name);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance copy(name);
    QVERIFY(copy.claim());
}

void tst_SingleInstance::freedAfterFirstCopyEnds()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("instance.socket");
    {
        SingleInstance first(name);
        QVERIFY(first.claim());
    }
    SingleInstance next(name);
    QVERIFY(next.claim());
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
