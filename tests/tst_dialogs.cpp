#include "aboutfrm.h"
#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"
#include "volfrm.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

/// The volume dialog or the about box on fakes, opened as their menus open them.
struct Fixture : FakeServices
{
    Forms forms{services};
    QPointer<QDialog> dialog;

    ~Fixture() { delete dialog; }

    QDialog *open(bool volume)
    {
        dialog = volume ? static_cast<QDialog *>(forms.volumeForm()) : forms.aboutForm();
        dialog->show();
        if (!QTest::qWaitForWindowActive(dialog))
            qFatal("dialog not active");
        return dialog;
    }
    template<typename T = QWidget>
    T *get(const char *name) const { return dialog->findChild<T *>(QLatin1String(name)); }
    QSlider *slider() const { return get<QSlider>("vol"); }
    /// Lets the deferred deletion of a closed dialog happen; true if it is gone.
    bool unloaded()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }
};

const QUrl Mailto(QStringLiteral("mailto:wakemere@example.com"));

} // namespace

class tst_dialogs : public QObject
{
    Q_OBJECT
private slots:
    void opensReady_data();
    void opensReady();
    void leavingChangesNothing_data();
    void leavingChangesNothing();
    void openedAgainComesForward_data();
    void openedAgainComesForward();
    void setVolume_data();
    void setVolume();
    void okStoresAndApplies_data();
    void okStoresAndApplies();
    void addressLooksLikeALink();
    void addressOpensMail_data();
    void addressOpensMail();
};

void tst_dialogs::opensReady_data()
{
    QTest::addColumn<bool>("volume");
    QTest::addColumn<QString>("title");
    QTest::newRow("volume") << true << "Set Volume";
    QTest::newRow("about") << false << "About Wakemere v1.0";
}

void tst_dialogs::opensReady()
{
    QFETCH(bool, volume);
    Fixture f;
    QTEST(f.open(volume)->windowTitle(), "title");
    QCOMPARE(QApplication::focusWidget(), f.get("Command1"));
    if (volume)
        QCOMPARE(f.slider()->accessibleName(), QString("Volume"));
}

void tst_dialogs::leavingChangesNothing_data()
{
    QTest::addColumn<bool>("volume");
    QTest::addColumn<QString>("how");
    QTest::newRow("volume: Cancel") << true << "Command2";
    QTest::newRow("volume: close box") << true << "close";
    QTest::newRow("volume: Escape") << true << "Escape";
    QTest::newRow("about: OK") << false << "Command1";
    QTest::newRow("about: Enter on opening") << false << "Enter";
    QTest::newRow("about: close box") << false << "close";
}

void tst_dialogs::leavingChangesNothing()
{
    QFETCH(bool, volume);
    QFETCH(QString, how);
    Fixture f;
    f.table.volLevel = 4;
    f.open(volume);
    if (volume)
        f.slider()->setValue(9);
    if (how == "close")
        f.dialog->close();
    else if (how == "Escape")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else if (how == "Enter")
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    else
        f.get<QPushButton>(how.toLatin1())->click();
    QVERIFY(f.unloaded());
    QCOMPARE(f.table.volLevel, qint16(4));
    QVERIFY(f.volume.words.isEmpty());
    QVERIFY(f.urls.opened.isEmpty());
    QCOMPARE(f.lifecycle.quits, 1);
}

void tst_dialogs::openedAgainComesForward_data()
{
    QTest::addColumn<bool>("volume");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("menu");
    // At start-up the focus is in the editable alarm list, whose text box claims Ctrl+V.
    QTest::newRow("volume: Ctrl+V in the alarm list, then the menu")
        << true << QKeySequence(Qt::CTRL | Qt::Key_V) << "mnuVol";
    QTest::newRow("about: F1, then the menu") << false << QKeySequence(Qt::Key_F1)
                                              << "mnuHelpAbout";
}

void tst_dialogs::openedAgainComesForward()
{
    QFETCH(bool, volume);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, menu);
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keySequence(QApplication::focusWidget(), keys);
    f.dialog = volume ? static_cast<QDialog *>(f.forms.volumeFormIfLoaded())
                      : f.forms.aboutFormIfLoaded();
    QVERIFY(f.dialog);
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    if (volume)
        f.slider()->setValue(2);

    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    main->findChild<QAction *>(menu)->trigger();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QCOMPARE(f.dialog.data(), volume ? static_cast<QDialog *>(f.forms.volumeFormIfLoaded())
                                     : f.forms.aboutFormIfLoaded());
    if (volume)
        QCOMPARE(f.slider()->value(), 2);
    delete main;
}

void tst_dialogs::setVolume_data()
{
    QTest::addColumn<int>("volint");
    QTest::addColumn<QList<quint32>>("calls");
    using Words = QList<quint32>;
    QTest::newRow("0 silent") << 0 << Words{0x00000000};
    QTest::newRow("1") << 1 << Words{0x0FFF0FFF};
    QTest::newRow("2") << 2 << Words{0x1FFF1FFF};
    QTest::newRow("3 same as 2") << 3 << Words{0x1FFF1FFF};
    QTest::newRow("4") << 4 << Words{0x4FFF4FFF};
    QTest::newRow("5") << 5 << Words{0x7FFF7FFF};
    QTest::newRow("6") << 6 << Words{0x9FFF9FFF};
    QTest::newRow("7") << 7 << Words{0xAFFFAFFF};
    QTest::newRow("8") << 8 << Words{0xCFFFCFFF};
    QTest::newRow("9") << 9 << Words{0xEFFFEFFF};
    QTest::newRow("10 loudest") << 10 << Words{0xFFFFFFFF};
    QTest::newRow("-1 no call") << -1 << Words{};
    QTest::newRow("11 no call") << 11 << Words{};
}

void tst_dialogs::setVolume()
{
    QFETCH(int, volint);
    Fixture f;
    static_cast<volfrm *>(f.open(true))->setVolume(qint16(volint));
    QTEST(f.volume.words, "calls");
    QCOMPARE(f.table.volLevel, qint16(10));
}

void tst_dialogs::okStoresAndApplies_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("moveTo");   // -1: the slider is left where it starts
    QTest::addColumn<quint32>("word");
    QTest::newRow("moved down to 0") << 10 << 0 << quint32(0x00000000);
    QTest::newRow("moved up to 10") << 2 << 10 << quint32(0xFFFFFFFF);
    QTest::newRow("untouched: starts at the stored 5") << 5 << -1 << quint32(0x7FFF7FFF);
}

void tst_dialogs::okStoresAndApplies()
{
    QFETCH(int, stored);
    QFETCH(int, moveTo);
    QFETCH(quint32, word);
    Fixture f;
    f.table.volLevel = qint16(stored);
    f.open(true);
    if (moveTo >= 0)
        f.slider()->setValue(moveTo);
    f.get<QPushButton>("Command1")->click();
    QCOMPARE(f.table.volLevel, qint16(moveTo >= 0 ? moveTo : stored));
    QCOMPARE(f.volume.words, QList<quint32>{word});
    QVERIFY(f.unloaded());

    // The next opening is a new dialog showing the stored position.
    f.open(true);
    QCOMPARE(f.slider()->value(), int(f.table.volLevel));
}

void tst_dialogs::addressLooksLikeALink()
{
    // It points under the mouse, and keyboard users reach it right after OK.
    Fixture f;
    f.open(false);
    QWidget *address = f.get("Label4");
    QCOMPARE(address->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(address->cursor().hotSpot(), QPoint(12, 1));
    QTest::keyClick(f.dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), address);
}

void tst_dialogs::addressOpensMail_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("requests");
    QTest::newRow("one click") << "click" << 1;
    QTest::newRow("two clicks, two requests") << "click twice" << 2;
    QTest::newRow("released off the label") << "drag off" << 0;
    QTest::newRow("Enter on the focused label") << "Enter" << 1;
    QTest::newRow("assistive press action") << "press" << 1;
}

void tst_dialogs::addressOpensMail()
{
    QFETCH(QString, how);
    QFETCH(int, requests);
    Fixture f;
    f.open(false);
    QWidget *address = f.get("Label4");
    const QPoint inside = address->rect().center();
    if (how.startsWith("click"))
        QTest::mouseClick(address, Qt::LeftButton, {}, inside);
    if (how == "click twice")
        QTest::mouseClick(address, Qt::LeftButton, {}, inside);
    if (how == "drag off") {
        QTest::mousePress(address, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(address, Qt::LeftButton, {}, QPoint(-5, -5));
    }
    if (how == "Enter") {
        address->setFocus();
        QTest::keyClick(address, Qt::Key_Return);
    }
    if (how == "press") {
        QAccessibleInterface *link = QAccessible::queryAccessibleInterface(address);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), QString("wakemere@example.com"));
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QCOMPARE(f.urls.opened, QList<QUrl>(requests, Mailto));
    QVERIFY(!f.unloaded());
    QVERIFY(f.dialog->isVisible());
}

QTEST_MAIN(tst_dialogs)
#include "tst_dialogs.moc"
