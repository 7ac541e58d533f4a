#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"
#include "volfrm.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <algorithm>

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
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        auto *widget = dialog->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    QSlider *slider() const { return get<QSlider>("vol"); }
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
    void startsLikeThis();
    void sliderStartsAtStoredPosition_data();
    void sliderStartsAtStoredPosition();
    void sliderKeys_data();
    void sliderKeys();
    void setVolume_data();
    void setVolume();
    void okStoresAndApplies_data();
    void okStoresAndApplies();
    void leavingChangesNothing_data();
    void leavingChangesNothing();
    void resizingKeepsControlsInPlace();
    void menuOpensOnceAndKeepsPosition();
    void shortcutWorksInTheAlarmList();
};

void tst_volfrm::startsLikeThis()
{
    Fixture f;
    f.open();
    QCOMPARE(f.dialog->windowTitle(), QString("Set Volume"));
    QCOMPARE(f.get<QLabel>("Label1")->text(), QString("VOLUME CONTROL"));
    QCOMPARE(f.get<QLabel>("Label2")->text(), QString("LOW"));
    QCOMPARE(f.get<QLabel>("Label3")->text(), QString("HIGH"));
    QCOMPARE(f.get<QPushButton>("Command1")->text(), QString("OK"));
    QCOMPARE(f.get<QPushButton>("Command2")->text(), QString("Cancel"));
    QCOMPARE(f.slider()->orientation(), Qt::Horizontal);
    QCOMPARE(f.slider()->minimum(), 0);
    QCOMPARE(f.slider()->maximum(), 10);
    QCOMPARE(f.slider()->value(), 10);
    QCOMPARE(f.slider()->accessibleName(), QString("Volume"));
    QVERIFY(!(f.dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f.dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.dialog->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!f.dialog->isModal());
    QVERIFY(!f.dialog->parentWidget());

    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QCOMPARE(QApplication::focusWidget(), f.get("Command1"));
    QVERIFY(f.volume.words.isEmpty());
}

void tst_volfrm::sliderStartsAtStoredPosition_data()
{
    QTest::addColumn<qint16>("stored");
    QTest::newRow("silent") << qint16(0);
    QTest::newRow("middle") << qint16(5);
    QTest::newRow("loudest") << qint16(10);
}

void tst_volfrm::sliderStartsAtStoredPosition()
{
    QFETCH(qint16, stored);
    Fixture f;
    f.table.volLevel = stored;
    f.open();
    QCOMPARE(f.slider()->value(), int(stored));
}

void tst_volfrm::sliderKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("right arrow one up") << 4 << int(Qt::Key_Right) << 5;
    QTest::newRow("left arrow one down") << 4 << int(Qt::Key_Left) << 3;
    QTest::newRow("page up five up") << 4 << int(Qt::Key_PageUp) << 9;
    QTest::newRow("page down five down") << 6 << int(Qt::Key_PageDown) << 1;
    QTest::newRow("page up stops at HIGH") << 8 << int(Qt::Key_PageUp) << 10;
    QTest::newRow("left arrow stops at LOW") << 0 << int(Qt::Key_Left) << 0;
}

void tst_volfrm::sliderKeys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    Fixture f;
    f.table.volLevel = qint16(start);
    f.open();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QTest::keyClick(f.dialog, Qt::Key_Tab);
    QTest::keyClick(f.dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.slider());
    QTest::keyClick(f.slider(), Qt::Key(key));
    QCOMPARE(f.slider()->value(), expected);
    // Moving the slider applies nothing by itself.
    QCOMPARE(f.table.volLevel, qint16(start));
    QVERIFY(f.volume.words.isEmpty());
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
    QTest::newRow("lowest 16-bit no call") << -32768 << Words{};
    QTest::newRow("highest 16-bit no call") << 32767 << Words{};
}

void tst_volfrm::setVolume()
{
    QFETCH(int, volint);
    QFETCH(QList<quint32>, calls);
    Fixture f;
    f.open()->setVolume(qint16(volint));
    QCOMPARE(f.volume.words, calls);
    QCOMPARE(f.table.volLevel, qint16(10));
}

void tst_volfrm::okStoresAndApplies_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("moveTo");
    QTest::addColumn<quint32>("word");
    QTest::newRow("moved down to 0") << 10 << 0 << quint32(0x00000000);
    QTest::newRow("moved to 3") << 10 << 3 << quint32(0x1FFF1FFF);
    QTest::newRow("moved up to 10") << 2 << 10 << quint32(0xFFFFFFFF);
    QTest::newRow("untouched at start") << 10 << -1 << quint32(0xFFFFFFFF);
    QTest::newRow("untouched at 5") << 5 << -1 << quint32(0x7FFF7FFF);
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
    f.get<QPushButton>("Command1")->click();
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
        f.get<QPushButton>("Command2")->click();
    else if (how == "close")
        f.dialog->close();
    else
        QTest::keyClick(f.dialog, Qt::Key_Escape);
    QVERIFY(f.unloaded());
    QCOMPARE(f.table.volLevel, qint16(4));
    QVERIFY(f.volume.words.isEmpty());
    QCOMPARE(f.lifecycle.quits, 1);

    f.open();
    QCOMPARE(f.slider()->value(), 4);
}

void tst_volfrm::resizingKeepsControlsInPlace()
{
    Fixture f;
    f.open();
    QVERIFY(f.dialog->minimumSize() != f.dialog->maximumSize());
    const QRect ok = f.get("Command1")->geometry();
    const QRect slider = f.slider()->geometry();
    f.dialog->resize(f.dialog->size() + QSize(120, 80));
    QCOMPARE(f.get("Command1")->geometry(), ok);
    QCOMPARE(f.slider()->geometry(), slider);
}

void tst_volfrm::menuOpensOnceAndKeepsPosition()
{
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));

    main->findChild<QAction *>("mnuVol")->trigger();
    f.dialog = f.forms.volumeFormIfLoaded();
    QVERIFY(f.dialog);
    QVERIFY(f.dialog->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    f.slider()->setValue(2);

    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.forms.volumeFormIfLoaded(), f.dialog.data());
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));
    QCOMPARE(f.slider()->value(), 2);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget *w) { return qobject_cast<volfrm *>(w) != nullptr; }),
             1);
    delete main;
}

void tst_volfrm::shortcutWorksInTheAlarmList()
{
    // At start-up the focus is in the editable alarm list, whose text box claims Ctrl+V.
    Fixture f;
    QPointer<mainfrm> main = f.forms.mainForm();
    main->show();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QCOMPARE(QApplication::focusWidget(), main->findChild<QWidget *>("Combo2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    f.dialog = f.forms.volumeFormIfLoaded();
    QVERIFY(f.dialog);
    QVERIFY(f.dialog->isVisible());
    delete main;
}

QTEST_MAIN(tst_volfrm)
#include "tst_volfrm.moc"
