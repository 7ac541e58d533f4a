#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"
#include "volfrm.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

/// The volume dialog on fakes, opened as the Tools menu opens it.
struct Fixture : FakeServices
{
    Forms forms{services};
    QPointer<volfrm> dialog;

    ~Fixture() { delete dialog; }

    volfrm *open()
    {
        dialog = forms.volumeForm();
        dialog->show();
        return dialog;
    }
    QSlider *slider() const { return dialog->findChild<QSlider *>("vol"); }
    void click(const char *button) { dialog->findChild<QPushButton *>(button)->click(); }
    /// Lets the deferred deletion of a closed dialog happen; true if it is gone.
    bool unloaded()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }
};

} // namespace

class tst_volfrm : public QObject
{
    Q_OBJECT
private slots:
    void opensReady();
    void setVolume_data();
    void setVolume();
    void okStoresAndApplies_data();
    void okStoresAndApplies();
    void leavingChangesNothing_data();
    void leavingChangesNothing();
    void openedAgainComesForward();
};

void tst_volfrm::opensReady()
{
    Fixture f;
    f.open();
    QCOMPARE(f.dialog->windowTitle(), QString("Set Volume"));
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QCOMPARE(QApplication::focusWidget(), f.dialog->findChild<QWidget *>("Command1"));
    QCOMPARE(f.slider()->accessibleName(), QString("Volume"));
}

void tst_volfrm::setVolume_data()
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

void tst_volfrm::setVolume()
{
    QFETCH(int, volint);
    Fixture f;
    f.open()->setVolume(qint16(volint));
    QTEST(f.volume.words, "calls");
    QCOMPARE(f.table.volLevel, qint16(10));
}

void tst_volfrm::okStoresAndApplies_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("moveTo");   // -1: the slider is left where it starts
    QTest::addColumn<quint32>("word");
    QTest::newRow("moved down to 0") << 10 << 0 << quint32(0x00000000);
    QTest::newRow("moved up to 10") << 2 << 10 << quint32(0xFFFFFFFF);
    QTest::newRow("untouched: starts at the stored 5") << 5 << -1 << quint32(0x7FFF7FFF);
}

void tst_volfrm::okStoresAndApplies()
{
    QFETCH(int, stored);
    QFETCH(int, moveTo);
    QFETCH(quint32, word);
    Fixture f;
    f.table.volLevel = qint16(stored);
    f.open();
    if (moveTo >= 0)
        f.slider()->setValue(moveTo);
    f.click("Command1");
    QCOMPARE(f.table.volLevel, qint16(moveTo >= 0 ? moveTo : stored));
    QCOMPARE(f.volume.words, QList<quint32>{word});
    QVERIFY(f.unloaded());

    // The next opening is a new dialog showing the stored position.
    f.open();
    QCOMPARE(f.slider()->value(), int(f.table.volLevel));
}

void tst_volfrm::leavingChangesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape") << "Escape";
}

void tst_volfrm::leavingChangesNothing()
{
    QFETCH(QString, how);
    Fixture f;
    f.table.volLevel = 4;
    f.open();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    f.slider()->setValue(9);
    if (how == "Cancel")
        f.click("Command2");
    else if (how == "close")
        f.dialog->close();
    else
        QTest::keyClick(f.dialog, Qt::Key_Escape);
    QVERIFY(f.unloaded());
    QCOMPARE(f.table.volLevel, qint16(4));
    QVERIFY(f.volume.words.isEmpty());
    QCOMPARE(f.lifecycle.quits, 1);
}

void tst_volfrm::openedAgainComesForward()
{
    // At start-up the focus is in the editable alarm list, whose text box claims Ctrl+V.
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    f.dialog = f.forms.volumeFormIfLoaded();
    QVERIFY(f.dialog);
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    f.slider()->setValue(2);

    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    main->findChild<QAction *>("mnuVol")->trigger();
    QCOMPARE(f.forms.volumeFormIfLoaded(), f.dialog.data());
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QCOMPARE(f.slider()->value(), 2);
    delete main;
}

QTEST_MAIN(tst_volfrm)
#include "tst_volfrm.moc"
