#include "aboutfrm.h"
#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QPushButton>
#include <QTest>

namespace {

/// The about box on fakes, opened as the Help menu opens it and active.
struct Fixture : FakeServices
{
    Forms forms{services};
    QPointer<aboutfrm> box = forms.aboutForm();
    QWidget *ok = box->findChild<QWidget *>("Command1");
    QWidget *address = box->findChild<QWidget *>("Label4");

    Fixture()
    {
        box->show();
        if (!QTest::qWaitForWindowActive(box))
            qFatal("about box not active");
    }
    ~Fixture() { delete box; }

    bool unloaded()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return box.isNull();
    }
};

} // namespace

class tst_aboutfrm : public QObject
{
    Q_OBJECT
private slots:
    void opensReady();
    void closing_data();
    void closing();
    void addressOpensMail_data();
    void addressOpensMail();
    void openedAgainComesForward();
};

void tst_aboutfrm::opensReady()
{
    Fixture f;
    QCOMPARE(f.box->windowTitle(), QString("About Wakemere v1.0"));
    QCOMPARE(QApplication::focusWidget(), f.ok);
    // The address looks like a link under the pointer, and keyboard users reach it after OK.
    QCOMPARE(f.address->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(f.address->cursor().hotSpot(), QPoint(12, 1));
    QTest::keyClick(f.box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.address);
}

void tst_aboutfrm::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << "OK";
    QTest::newRow("Enter on opening") << "Enter";
    QTest::newRow("close box") << "close";
}

void tst_aboutfrm::closing()
{
    QFETCH(QString, how);
    Fixture f;
    if (how == "OK")
        static_cast<QPushButton *>(f.ok)->click();
    else if (how == "Enter")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else
        f.box->close();
    QVERIFY(f.unloaded());
    QVERIFY(f.urls.opened.isEmpty());
    QCOMPARE(f.lifecycle.quits, 1);
}

void tst_aboutfrm::addressOpensMail_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("requests");
    QTest::newRow("one click") << "click" << 1;
    QTest::newRow("two clicks, two requests") << "click twice" << 2;
    QTest::newRow("released off the label") << "drag off" << 0;
    QTest::newRow("Enter on the focused label") << "Enter" << 1;
    QTest::newRow("assistive press action") << "press" << 1;
}

void tst_aboutfrm::addressOpensMail()
{
    QFETCH(QString, how);
    QFETCH(int, requests);
    Fixture f;
    const QPoint inside = f.address->rect().center();
    if (how.startsWith("click"))
        QTest::mouseClick(f.address, Qt::LeftButton, {}, inside);
    if (how == "click twice")
        QTest::mouseClick(f.address, Qt::LeftButton, {}, inside);
    if (how == "drag off") {
        QTest::mousePress(f.address, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(f.address, Qt::LeftButton, {}, QPoint(-5, -5));
    }
    if (how == "Enter") {
        f.address->setFocus();
        QTest::keyClick(f.address, Qt::Key_Return);
    }
    if (how == "press") {
        QAccessibleInterface *link = QAccessible::queryAccessibleInterface(f.address);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), QString("wakemere@example.com"));
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QCOMPARE(f.urls.opened, QList<QUrl>(requests, QUrl("mailto:wakemere@example.com")));
    QVERIFY(!f.unloaded());
    QVERIFY(f.box->isVisible());
}

void tst_aboutfrm::openedAgainComesForward()
{
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_F1);
    QCOMPARE(f.forms.aboutFormIfLoaded(), f.box.data());
    QVERIFY(QTest::qWaitForWindowActive(f.box));

    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    main->findChild<QAction *>("mnuHelpAbout")->trigger();
    QCOMPARE(f.forms.aboutFormIfLoaded(), f.box.data());
    QVERIFY(QTest::qWaitForWindowActive(f.box));
    delete main;
}

QTEST_MAIN(tst_aboutfrm)
#include "tst_aboutfrm.moc"
