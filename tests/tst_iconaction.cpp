#include "iconaction.h"
#include "traypicture.h"

#include <QTest>

Q_DECLARE_METATYPE(IconAction)

class tst_iconaction : public QObject
{
    Q_OBJECT
private slots:
    void mouseEvents_data();
    void mouseEvents();
    void pictureNeverEmpty_data();
    void pictureNeverEmpty();
};

void tst_iconaction::mouseEvents_data()
{
    using E = TrayIconEvent;
    QTest::addColumn<int>("kind");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("overIcon");
    QTest::addColumn<IconAction>("action");
    const auto restore = IconAction::Restore;
    const auto menu = IconAction::OpenMenu;
    const auto none = IconAction::None;
    QTest::newRow("left release") << int(E::Release) << Qt::LeftButton << true << restore;
    QTest::newRow("left double-click") << int(E::DoubleClick) << Qt::LeftButton << true
                                       << restore;
    QTest::newRow("right release") << int(E::Release) << Qt::RightButton << true << menu;
    QTest::newRow("hover") << int(E::Move) << Qt::NoButton << true << none;
    QTest::newRow("left press") << int(E::Press) << Qt::LeftButton << true << none;
    QTest::newRow("right press") << int(E::Press) << Qt::RightButton << true << none;
    QTest::newRow("right double-click") << int(E::DoubleClick) << Qt::RightButton << true
                                        << none;
    QTest::newRow("middle press") << int(E::Press) << Qt::MiddleButton << true << none;
    QTest::newRow("middle release") << int(E::Release) << Qt::MiddleButton << true << none;
    QTest::newRow("middle double-click") << int(E::DoubleClick) << Qt::MiddleButton << true
                                         << none;
    QTest::newRow("left released off the icon") << int(E::Release) << Qt::LeftButton << false
                                                << none;
    QTest::newRow("right released off the icon") << int(E::Release) << Qt::RightButton << false
                                                 << none;
}

void tst_iconaction::mouseEvents()
{
    QFETCH(int, kind);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, overIcon);
    const TrayIconEvent event{TrayIconEvent::Kind(kind), button, QPoint(1257, 16), overIcon};
    QTEST(iconAction(event), "action");
}

void tst_iconaction::pictureNeverEmpty_data()
{
    QTest::addColumn<QIcon>("windowIcon");
    QTest::addColumn<bool>("windowIconUsed");
    QPixmap blue(32, 32);
    blue.fill(Qt::blue);
    QTest::newRow("window without an icon") << QIcon() << false;
    QTest::newRow("window with an icon") << QIcon(blue) << true;
}

void tst_iconaction::pictureNeverEmpty()
{
    QFETCH(QIcon, windowIcon);
    QFETCH(bool, windowIconUsed);
    const QImage image = trayPicture(windowIcon).pixmap(32, 32).toImage();
    QVERIFY(!image.isNull());
    const QColor centre = image.pixelColor(16, 16);
    QVERIFY(centre.alpha() > 0);
    QCOMPARE(centre == QColor(Qt::blue), windowIconUsed);
}

QTEST_MAIN(tst_iconaction)
#include "tst_iconaction.moc"
