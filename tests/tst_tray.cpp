#include "fakedesk.h"
#include "traypicture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

namespace {

/// A main window on fakes, loaded and shown, with or without a notification area.
struct Fixture : FakeDesk
{
    explicit Fixture(bool trayAvailable = true)
        : FakeDesk(trayAvailable)
    {
        main->show();
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("main window not shown");
    }

    QAction *action(const QString &name) const { return main->findChild<QAction *>(name); }
    /// Minimises the window; true once it is hidden in the tray.
    bool hideInTray()
    {
        main->setWindowState(main->windowState() | Qt::WindowMinimized);
        return QTest::qWaitFor([this] { return main->isHidden(); }, 200);
    }
};

} // namespace

class tst_tray : public QObject
{
    Q_OBJECT
private slots:
    void iconEvents_data();
    void iconEvents();
    void picture();
    void trayComingAndGoing();
    void exitWhileADialogIsOpen_data();
    void exitWhileADialogIsOpen();
};

void tst_tray::iconEvents_data()
{
    using E = TrayIconEvent;
    QTest::addColumn<int>("kind");   // -1: Restore in the icon's menu
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("overIcon");
    QTest::addColumn<QString>("does");
    QTest::newRow("left release") << int(E::Release) << Qt::LeftButton << true << "restore";
    QTest::newRow("left double-click") << int(E::DoubleClick) << Qt::LeftButton << true
                                       << "restore";
    QTest::newRow("menu Restore") << -1 << Qt::NoButton << true << "restore";
    QTest::newRow("right release") << int(E::Release) << Qt::RightButton << true << "menu";
    QTest::newRow("left press") << int(E::Press) << Qt::LeftButton << true << "";
    QTest::newRow("middle release") << int(E::Release) << Qt::MiddleButton << true << "";
    QTest::newRow("left released off the icon") << int(E::Release) << Qt::LeftButton << false
                                                << "";
}

void tst_tray::iconEvents()
{
    QFETCH(int, kind);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, overIcon);
    QFETCH(QString, does);
    Fixture f;
    QVERIFY(f.hideInTray());
    if (kind < 0)
        f.action("restore")->trigger();
    else
        f.trayIcon.send(TrayIconEvent::Kind(kind), button, QPoint(1260, 10), overIcon);
    QCOMPARE(f.main->isMinimized(), does != "restore");
    QCOMPARE(f.trayIcon.popUps.size(), does == "menu" ? 1 : 0);
    if (does == "menu")
        QCOMPARE(f.trayIcon.popUps.first().pos, QPoint(1260, 10));
    if (does != "restore") {
        QVERIFY(f.main->isHidden());
        return;
    }
    QVERIFY(QTest::qWaitForWindowActive(f.main));
    QVERIFY(f.trayIcon.isShown());
}

void tst_tray::picture()
{
    // The window's own icon first, else the program's picture.
    QPixmap blue(32, 32);
    blue.fill(Qt::blue);
    const auto centre = [](const QIcon &icon) {
        return icon.pixmap(32, 32).toImage().pixelColor(16, 16);
    };
    QCOMPARE(centre(trayPicture(QIcon(blue))), QColor(Qt::blue));
    QCOMPARE(centre(trayPicture(QIcon())), centre(QIcon(":/icons/wakemere-32.png")));
}

void tst_tray::trayComingAndGoing()
{
    // Without a tray the window stays on the task bar, minimised.
    Fixture f(false);
    QVERIFY(!f.hideInTray());
    QVERIFY(f.main->isMinimized());
    auto *poll = f.main->findChild<QTimer *>("trayPoll");
    QVERIFY(poll->isActive());

    f.trayIcon.setAvailable(true);
    QVERIFY(!poll->isActive());
    f.main->showNormal();
    QVERIFY(f.hideInTray());

    // The tray going away brings the window back to the task bar, still minimised.
    f.trayIcon.setAvailable(false);
    QVERIFY(f.main->isVisible());
    QVERIFY(f.main->isMinimized());

    // Minimised before it is loaded, a window has no tray to hide in yet.
    mainfrm unloaded(f.forms);
    unloaded.showMinimized();
    QVERIFY(unloaded.isVisible());
}

void tst_tray::exitWhileADialogIsOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Error box (Activate with empty boxes)") << "activate";
    QTest::newRow("file dialog (BROWSE)") << "browse";
    QTest::newRow("no box: the close box") << "";
}

// The popup's Exit reaches the program while a modal box of the main window is open (the
// desktop draws the menu of a StatusNotifierItem itself): the box closes first, then the
// window, and the program ends.
void tst_tray::exitWhileADialogIsOpen()
{
    QFETCH(QString, button);
    Fixture f;
    QPointer<mainfrm> main = f.main;
    bool stayedOpen = false;
    f.dialogs.whileOpen = [&] {
        f.action("exit")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stayedOpen = QApplication::activeModalWidget() != nullptr;
    };
    if (button.isEmpty())
        main->close();
    else
        f.click(main, button.toLatin1());
    QVERIFY(!stayedOpen);
    QTRY_VERIFY(!main);
    QCOMPARE(f.lifecycle.quits, 1);
    QCOMPARE(f.forms.mainForm(), nullptr);   // an ended program loads no window again

    // Nothing brings the icon back, and it no longer acts.
    f.trayIcon.setAvailable(true);
    f.trayIcon.send(TrayIconEvent::Release, Qt::RightButton);
    QVERIFY(!f.trayIcon.visible);
    QVERIFY(f.trayIcon.popUps.isEmpty());
}

QTEST_MAIN(tst_tray)
#include "tst_tray.moc"
