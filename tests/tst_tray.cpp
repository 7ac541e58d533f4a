#include "fakedesk.h"
#include "traypicture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
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
    QMenu *mnu() const { return main->findChild<QMenu *>(QStringLiteral("mnu")); }
    void minimise() { main->setWindowState(main->windowState() | Qt::WindowMinimized); }
    bool hideInTray()
    {
        minimise();
        return QTest::qWaitFor([this] { return main->isHidden(); });
    }
    /// Minimises with no tray to hide in: the window must stay on the task bar.
    bool staysOnTaskBar()
    {
        minimise();
        QCoreApplication::processEvents();
        return main->isVisible() && main->isMinimized();
    }
};

} // namespace

class tst_tray : public QObject
{
    Q_OBJECT
private slots:
    void iconAddedAtLoad();
    void iconEvents_data();
    void iconEvents();
    void pictureNeverEmpty();
    void restoreBringsWindowBack_data();
    void restoreBringsWindowBack();
    void minimiseWithoutTrayStaysOnTaskBar();
    void trayAppearingLaterIsUsed();
    void trayGoingAwayBringsWindowBack();
    void everyEndRemovesIcon_data();
    void everyEndRemovesIcon();
    void exitWhileADialogIsOpen_data();
    void exitWhileADialogIsOpen();
};

void tst_tray::iconAddedAtLoad()
{
    Fixture f;
    QCOMPARE(f.trayIcon.shows, 1);
    QVERIFY(f.trayIcon.isShown());
    QCOMPARE(f.trayIcon.tip, QString("Wakemere v1.0"));
    QVERIFY(!f.trayIcon.picture.pixmap(32, 32).isNull());
    QCOMPARE(f.trayIcon.menu, f.mnu());
    QVERIFY(!f.main->menuBar()->actions().contains(f.mnu()->menuAction()));
}

void tst_tray::iconEvents_data()
{
    using E = TrayIconEvent;
    QTest::addColumn<int>("kind");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("overIcon");
    QTest::addColumn<QString>("does");
    QTest::newRow("left release") << int(E::Release) << Qt::LeftButton << true << "restore";
    QTest::newRow("left double-click") << int(E::DoubleClick) << Qt::LeftButton << true
                                       << "restore";
    QTest::newRow("right release") << int(E::Release) << Qt::RightButton << true << "menu";
    QTest::newRow("hover") << int(E::Move) << Qt::NoButton << true << "";
    QTest::newRow("left press") << int(E::Press) << Qt::LeftButton << true << "";
    QTest::newRow("right double-click") << int(E::DoubleClick) << Qt::RightButton << true << "";
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
    f.trayIcon.send(TrayIconEvent::Kind(kind), button, QPoint(1260, 10), overIcon);
    QCOMPARE(f.main->isVisible(), does == "restore");
    QCOMPARE(f.main->isMinimized(), does != "restore");
    QCOMPARE(f.trayIcon.popUps.size(), does == "menu" ? 1 : 0);
    if (does == "menu") {
        QCOMPARE(f.trayIcon.popUps.first().menu, f.mnu());
        QCOMPARE(f.trayIcon.popUps.first().pos, QPoint(1260, 10));
    }
}

void tst_tray::pictureNeverEmpty()
{
    QPixmap blue(32, 32);
    blue.fill(Qt::blue);
    QCOMPARE(trayPicture(QIcon(blue)).pixmap(32, 32).toImage().pixelColor(16, 16),
             QColor(Qt::blue));
    QVERIFY(trayPicture(QIcon()).pixmap(32, 32).toImage().pixelColor(16, 16).alpha() > 0);
}

void tst_tray::restoreBringsWindowBack_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("icon click, hidden in the tray") << false << true;
    QTest::newRow("menu Restore, hidden in the tray") << true << true;
    QTest::newRow("icon click, behind another window") << false << false;
}

void tst_tray::restoreBringsWindowBack()
{
    QFETCH(bool, fromMenu);
    QFETCH(bool, hidden);
    Fixture f;
    f.main->move(150, 120);
    const QRect place = f.main->geometry();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    if (hidden)
        QVERIFY(f.hideInTray());

    if (fromMenu)
        f.action("restore")->trigger();
    else
        f.trayIcon.send(TrayIconEvent::Release, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowActive(f.main));
    QVERIFY(!f.main->isMinimized());
    QCOMPARE(f.main->geometry(), place);
    QVERIFY(f.trayIcon.isShown());
}

void tst_tray::minimiseWithoutTrayStaysOnTaskBar()
{
    Fixture f(false);
    QVERIFY(f.staysOnTaskBar());
}

void tst_tray::trayAppearingLaterIsUsed()
{
    Fixture f(false);
    auto *poll = f.main->findChild<QTimer *>("trayPoll");
    QVERIFY(poll->isActive());

    f.trayIcon.setAvailable(true);
    QVERIFY(!poll->isActive());
    QVERIFY(f.hideInTray());
    f.trayIcon.send(TrayIconEvent::Release, Qt::LeftButton);
    QVERIFY(f.main->isVisible());
}

void tst_tray::trayGoingAwayBringsWindowBack()
{
    Fixture f;
    QVERIFY(f.hideInTray());
    f.trayIcon.setAvailable(false);
    QVERIFY(f.main->isVisible());
    QVERIFY(f.main->isMinimized());
    QVERIFY(f.staysOnTaskBar());
}

void tst_tray::everyEndRemovesIcon_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("inTray");
    QTest::addColumn<bool>("unloads");
    QTest::newRow("File Exit") << "mnuFileExit" << false << true;
    QTest::newRow("popup Exit while in the tray") << "exit" << true << true;
    QTest::newRow("close box") << "close" << false << true;
    QTest::newRow("ending at once (alarm window)") << "endProgram" << false << false;
    QTest::newRow("ending at once while in the tray") << "endProgram" << true << false;
}

void tst_tray::everyEndRemovesIcon()
{
    QFETCH(QString, way);
    QFETCH(bool, inTray);
    QFETCH(bool, unloads);
    Fixture f;
    if (inTray)
        QVERIFY(f.hideInTray());

    if (way == "endProgram")
        f.forms.endProgram();
    else if (way == "close")
        f.main->close();
    else
        f.action(way)->trigger();
    QVERIFY(!f.trayIcon.visible);
    QTRY_COMPARE(f.lifecycle.quits, 1);
    QCOMPARE(f.main.isNull(), unloads);
    if (unloads)
        QCOMPARE(f.forms.mainForm(), nullptr);   // an ended program loads no window again

    // Nothing brings the icon back, and it no longer acts.
    f.trayIcon.setAvailable(true);
    f.trayIcon.send(TrayIconEvent::Release, Qt::RightButton);
    f.trayIcon.send(TrayIconEvent::Release, Qt::LeftButton);
    QVERIFY(f.trayIcon.popUps.isEmpty());
    QCOMPARE(f.trayIcon.shows, 1);
    if (f.main)
        QCOMPARE(f.main->isVisible(), !inTray);
}

void tst_tray::exitWhileADialogIsOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Error box (Activate with empty boxes)") << "activate";
    QTest::newRow("file dialog (BROWSE)") << "browse";
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
    f.click(main, button.toLatin1());
    QVERIFY(main);
    QVERIFY(!stayedOpen);
    QTRY_VERIFY(!main);
    QVERIFY(!f.trayIcon.visible);
    QCOMPARE(f.lifecycle.quits, 1);
}

QTEST_MAIN(tst_tray)
#include "tst_tray.moc"
