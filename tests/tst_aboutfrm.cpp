#include "aboutfrm.h"
#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

/// The about box on fakes, opened as the Help menu opens it.
struct Fixture : FakeServices
{
    Forms forms{services};
    QPointer<aboutfrm> box;

    ~Fixture() { delete box; }

    aboutfrm *open()
    {
        box = forms.aboutForm();
        box->show();
        return box;
    }
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        auto *widget = box->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QString text(const char *name) const { return get<QLabel>(name)->text(); }
    bool unloaded()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return box.isNull();
    }
};

const QUrl Mailto(QStringLiteral("mailto:wakemere@example.com"));

} // namespace

class tst_aboutfrm : public QObject
{
    Q_OBJECT
private slots:
    void startsLikeThis();
    void addressLooksLikeALink();
    void closing_data();
    void closing();
    void addressOpensMail_data();
    void addressOpensMail();
    void menuOpensOnce();
};

void tst_aboutfrm::startsLikeThis()
{
    Fixture f;
    f.open();
    QCOMPARE(f.box->windowTitle(), QString("About Wakemere v1.0"));
    QCOMPARE(f.text("Label1"), QString("Wakemere v2.0"));
    QCOMPARE(f.text("Label2"),
             QString("If you have any questions or comments, please send them to:"));
    QCOMPARE(f.text("Label3"), QString("Made By: Pellory Inc."));
    QCOMPARE(f.text("Label4"), QString("wakemere@example.com"));
    QCOMPARE(f.get<QPushButton>("Command1")->text(), QString("OK"));
    QVERIFY(f.get<QPushButton>("Command1")->isDefault());
    QCOMPARE(f.box->minimumSize(), f.box->maximumSize());
    QVERIFY(!(f.box->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f.box->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!f.box->isModal());

    const QPalette system;
    QCOMPARE(f.box->palette().color(QPalette::Window), system.color(QPalette::WindowText));
    QCOMPARE(f.get("Frame1")->palette().color(QPalette::Window),
             system.color(QPalette::HighlightedText));
    // The logo stands on the window, the rest inside the frame.
    QCOMPARE(f.get("Image2")->parentWidget(), f.box.data());
    for (const char *name : {"Label1", "Label2", "Label3", "Label4", "Image1"})
        QCOMPARE(f.get(name)->parentWidget(), f.get("Frame1"));

    QVERIFY(QTest::qWaitForWindowActive(f.box));
    QCOMPARE(QApplication::focusWidget(), f.get("Command1"));
}

void tst_aboutfrm::addressLooksLikeALink()
{
    Fixture f;
    f.open();
    QWidget *address = f.get("Label4");
    QCOMPARE(address->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(address->font().bold());
    QVERIFY(address->font().underline());
    const QCursor cursor = address->cursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.pixmap().deviceIndependentSize(), QSizeF(32, 32));
    QCOMPARE(cursor.hotSpot(), QPoint(12, 1));

    // Keyboard users reach it right after OK.
    QVERIFY(QTest::qWaitForWindowActive(f.box));
    QTest::keyClick(f.box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), address);
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
    f.open();
    QVERIFY(QTest::qWaitForWindowActive(f.box));
    if (how == "OK")
        f.get<QPushButton>("Command1")->click();
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
    QTest::newRow("Space on the focused label") << "Space" << 1;
    QTest::newRow("assistive press action") << "press" << 1;
}

void tst_aboutfrm::addressOpensMail()
{
    QFETCH(QString, how);
    QFETCH(int, requests);
    Fixture f;
    f.open();
    QVERIFY(QTest::qWaitForWindowActive(f.box));
    QWidget *address = f.get("Label4");
    const QPoint inside = address->rect().center();
    if (how == "click") {
        QTest::mouseClick(address, Qt::LeftButton, {}, inside);
    } else if (how == "click twice") {
        QTest::mouseClick(address, Qt::LeftButton, {}, inside);
        QTest::mouseClick(address, Qt::LeftButton, {}, inside);
    } else if (how == "drag off") {
        QTest::mousePress(address, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(address, Qt::LeftButton, {}, QPoint(-5, -5));
    } else if (how == "press") {
        QAccessibleInterface *link = QAccessible::queryAccessibleInterface(address);
        QVERIFY(link);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), QString("wakemere@example.com"));
        QVERIFY(link->actionInterface());
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else {
        address->setFocus();
        QTest::keyClick(address, how == "Enter" ? Qt::Key_Return : Qt::Key_Space);
    }
    QCOMPARE(f.urls.opened, QList<QUrl>(requests, Mailto));
    QVERIFY(!f.unloaded());
    QVERIFY(f.box->isVisible());
}

void tst_aboutfrm::menuOpensOnce()
{
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));

    QTest::keyClick(main, Qt::Key_F1);
    f.box = f.forms.aboutFormIfLoaded();
    QVERIFY(f.box);
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
