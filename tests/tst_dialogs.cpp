#include "fakedesk.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSlider>

#include <algorithm>

namespace {

/// Opens the volume dialog or the about box as their menus do, ready for input.
QDialog *open(FakeDesk &desk, bool volume)
{
    QDialog *dialog = volume ? static_cast<QDialog *>(desk.forms.volumeForm())
                             : desk.forms.aboutForm();
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog))
        qFatal("dialog not active");
    return dialog;
}

} // namespace

class tst_dialogs : public QObject
{
    Q_OBJECT
private slots:
    void volume_data();
    void volume();
    void addressLooksLikeALink();
    void address_data();
    void address();
};

void tst_dialogs::volume_data()
{
    QTest::addColumn<int>("moveTo");   // -1: the slider is left at the stored 5
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<quint32>>("words");
    using W = QList<quint32>;
    QTest::newRow("moved, Cancel") << 9 << "Command2" << W{};
    QTest::newRow("moved, Escape") << 9 << "Escape" << W{};
    QTest::newRow("down to 0, OK: silent") << 0 << "Command1" << W{0x00000000};
    QTest::newRow("up to 10, OK: loudest") << 10 << "Command1" << W{0xFFFFFFFF};
    QTest::newRow("untouched, OK") << -1 << "Command1" << W{0x7FFF7FFF};
}

void tst_dialogs::volume()
{
    QFETCH(int, moveTo);
    QFETCH(QString, how);
    FakeDesk desk;
    desk.table.volLevel = 5;
    QDialog *dialog = open(desk, true);
    if (moveTo >= 0)
        child<QSlider>(dialog, "vol")->setValue(moveTo);
    if (how == "Escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        desk.click(dialog, how.toLatin1());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!desk.forms.volumeFormIfLoaded());
    QTEST(desk.volume.words, "words");
    QCOMPARE(desk.table.volLevel, qint16(how == "Command1" && moveTo >= 0 ? moveTo : 5));

    // The next opening is a new dialog showing the stored position.
    QCOMPARE(child<QSlider>(open(desk, true), "vol")->value(), int(desk.table.volLevel));
}

void tst_dialogs::addressLooksLikeALink()
{
    // The hand points with its fingertip; keyboard users reach the address after OK and see it.
    FakeDesk desk;
    QWidget *address = child(open(desk, false), "Label4");
    const QCursor hand = address->cursor();
    const QImage image = hand.pixmap().toImage();
    QCOMPARE(qAlpha(image.pixel(hand.hotSpot())), 255);
    QCOMPARE(qAlpha(image.pixel(hand.hotSpot() - QPoint(0, 1))), 0);
    // Focused, it shows a frame: fewer pixels of the background colour.
    const auto background = [address] {
        const QImage image = address->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        return std::count(pixels, pixels + image.width() * image.height(), pixels[0]);
    };
    const auto unfocused = background();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), address);
    QVERIFY(background() < unfocused);
}

void tst_dialogs::address_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("requests");
    QTest::newRow("two clicks, two requests") << "click" << 2;
    QTest::newRow("released off the label") << "drag off" << 0;
    QTest::newRow("Enter on the focused label") << "Enter" << 1;
    QTest::newRow("assistive press action") << "press" << 1;
}

void tst_dialogs::address()
{
    QFETCH(QString, how);
    QFETCH(int, requests);
    FakeDesk desk;
    QDialog *dialog = open(desk, false);
    QWidget *address = child(dialog, "Label4");
    const QPoint inside = address->rect().center();
    if (how == "click") {
        for (int i = 0; i < requests; ++i)
            QTest::mouseClick(address, Qt::LeftButton, {}, inside);
    } else if (how == "drag off") {
        QTest::mousePress(address, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(address, Qt::LeftButton, {}, QPoint(-5, -5));
    } else if (how == "Enter") {
        address->setFocus();
        QTest::keyClick(address, Qt::Key_Return);
    } else {
        QAccessibleInterface *link = QAccessible::queryAccessibleInterface(address);
        QCOMPARE(link->role(), QAccessible::Link);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    const QUrl mailto(QStringLiteral("mailto:wakemere@example.com"));
    QCOMPARE(desk.urls.opened, QList<QUrl>(requests, mailto));
    QVERIFY(dialog->isVisible());
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
