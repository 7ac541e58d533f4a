#include "fakedesk.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

/// A main window on fakes, loaded as at program start.
struct Fixture : FakeDesk
{
    QString text(const char *name) const
    {
        if (auto *edit = main->findChild<QLineEdit *>(QLatin1String(name)))
            return edit->text();
        if (auto *combo = main->findChild<QComboBox *>(QLatin1String(name)))
            return combo->currentText();
        return child<QLabel>(main, name)->text();
    }
    void type(const char *box, const QString &keys) { FakeDesk::type(main, box, keys); }
    void pickSlot(int n) { pick("Combo2", n - 1); }
    /// Types the time, picks AM or PM and presses Activate Alarm.
    void arm(const QString &h, const QString &m, const QString &s, bool pm = false)
    {
        type("hourtb", h);
        type("min", m);
        type("secs", s);
        child<QRadioButton>(main, pm ? "Option2" : "Option1")->click();
        click(main, "activate");
    }
    template<typename T = QWidget>
    T *get(const char *name) const { return child<T>(main, name); }
};

} // namespace

class tst_mainfrm : public QObject
{
    Q_OBJECT
private slots:
    void startsLikeThis();
    void typingChecks_data();
    void typingChecks();
    void activate_data();
    void activate();
    void refusedActivateStoresNothing_data();
    void refusedActivateStoresNothing();
    void missingFileStillArms();
    void actionWithoutFileKeepsNone();
    void pickingSlots();
    void deactivate();
    void clockShowsTimeAndScans();
    void clockNeverFiresBeforeActivate();
    void soundSetUpJustBeforeItsAlarm_data();
    void soundSetUpJustBeforeItsAlarm();
    void browseKeepsFileOnCancel();
    void shortcutsWorkInTextBoxes_data();
    void shortcutsWorkInTextBoxes();
};

void tst_mainfrm::startsLikeThis()
{
    Fixture f;
    QCOMPARE(f.main->windowTitle(), QString("Wakemere"));
    QCOMPARE(f.text("statuslbl"), QString("Wakemere v2.0 - Pellory Inc"));
    QCOMPARE(f.text("secs"), QString("00"));
    QCOMPARE(f.text("hourtb"), QString());
    QCOMPARE(f.text("min"), QString());
    QVERIFY(f.get<QRadioButton>("Option1")->isChecked());
    QVERIFY(!f.get<QRadioButton>("Option2")->isChecked());
    QCOMPARE(f.table.ampm, QString("AM"));
    QCOMPARE(f.table.curAlm, qint16(1));
    QCOMPARE(f.table.scanOn, qint16(0));
    QCOMPARE(f.table.volLevel, qint16(10));
    QCOMPARE(f.table.fileFilter, AlarmTable::SoundFilter);

    auto *actions = f.get<QComboBox>("Combo1");
    QCOMPARE(actions->currentText(), QString("CHOOSE OPTION"));
    QCOMPARE(actions->count(), 6);
    QStringList items;
    for (int i = 0; i < actions->count(); ++i)
        items << actions->itemText(i);
    QCOMPARE(items, QStringList({"Play Sound", "Run Program", "Open File", "Display Message",
                                 "Shutdown Windows", "Reboot Computer"}));
    auto *alarms = f.get<QComboBox>("Combo2");
    QCOMPARE(alarms->currentText(), QString("CHOOSE ALARM"));
    QCOMPARE(alarms->count(), 5);
    QCOMPARE(alarms->itemText(4), QString("Alarm5"));

    for (const char *box : {"hourtb", "min", "secs"}) {
        QCOMPARE(f.get<QLineEdit>(box)->maxLength(), 2);
        QCOMPARE(f.get<QLineEdit>(box)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }
    QVERIFY(!(f.main->windowFlags() & Qt::WindowMaximizeButtonHint));

    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main));
    QCOMPARE(QApplication::focusWidget(), f.get("Combo2"));
}

void tst_mainfrm::typingChecks_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("left");
    QTest::newRow("hour 1 then 3") << "hourtb" << "13" << "Hour must be in between 1 and 12" << "";
    QTest::newRow("hour 12") << "hourtb" << "12" << "" << "12";
    QTest::newRow("third character refused") << "hourtb" << "123" << "" << "12";
    QTest::newRow("minute 60") << "min" << "60" << "Minute must be in between 00 and 59" << "";
    QTest::newRow("second 60") << "secs" << "60" << "Seconds cannot be more than 59" << "";
}

void tst_mainfrm::typingChecks()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, error);
    Fixture f;
    f.type(box.toLatin1(), keys);
    QCOMPARE(f.dialogs.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QTEST(f.text(box.toLatin1()), "left");
}

void tst_mainfrm::activate_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("pm");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QTime>("dueAt");
    QTest::newRow("7:30:00 AM") << "7" << "30" << "00" << false << "Alarm 1 Set For 7:30:00 AM"
                                << QTime(7, 30);
    QTest::newRow("7:30:00 PM") << "7" << "30" << "00" << true << "Alarm 1 Set For 7:30:00 PM"
                                << QTime(19, 30);
    QTest::newRow("texts as typed") << "07" << "5" << "9" << false << "Alarm 1 Set For 07:5:9 AM"
                                    << QTime(7, 5, 9);
    QTest::newRow("12 AM") << "12" << "00" << "00" << false << "Alarm 1 Set For 12:00:00 AM"
                           << QTime(0, 0);
    QTest::newRow("12 PM") << "12" << "00" << "00" << true << "Alarm 1 Set For 12:00:00 PM"
                           << QTime(12, 0);
}

void tst_mainfrm::activate()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, second);
    QFETCH(bool, pm);
    QFETCH(QString, status);
    QFETCH(QTime, dueAt);
    Fixture f;
    f.main->db.FileName = "/tmp/alarm.wav";
    f.arm(hour, minute, second, pm);
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.text("statuslbl"), status);
    QCOMPARE(f.table.slot(1).almStatus, status);
    QCOMPARE(f.table.slot(1).almFile, QString("/tmp/alarm.wav"));
    QCOMPARE(f.table.scanOn, qint16(1));

    QSignalSpy due(f.main.data(), &mainfrm::alarmDue);
    f.tickAt(dueAt.addSecs(-1));
    f.tickAt(dueAt);
    f.tickAt(dueAt.addSecs(1));
    QCOMPARE(due.count(), 1);
    QCOMPARE(due.first().at(0).toInt(), 1);
    QCOMPARE(f.table.firedAlm, qint16(1));
}

void tst_mainfrm::refusedActivateStoresNothing_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty minute") << "8" << "" << "00" << "Minute must be in between 00 and 59";
    QTest::newRow("hour 0") << "0" << "15" << "00" << "Hour must be in between 1 and 12";
    QTest::newRow("negative second") << "8" << "15" << "-1" << "Seconds cannot be more than 59";
}

void tst_mainfrm::refusedActivateStoresNothing()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QString, second);
    QFETCH(QString, error);
    Fixture f;
    f.main->db.FileName = "/tmp/alarm.wav";
    f.arm("7", "30", "00");
    const AlarmSlot before = f.table.slot(1);
    const QString status = f.text("statuslbl");

    f.arm(hour, minute, second);
    QCOMPARE(f.dialogs.errors, QStringList{error});
    QCOMPARE(f.table.slot(1).almHour, before.almHour);
    QCOMPARE(f.table.slot(1).almMin, before.almMin);
    QCOMPARE(f.table.slot(1).almSec, before.almSec);
    QCOMPARE(f.table.slot(1).almStatus, before.almStatus);
    QCOMPARE(f.text("statuslbl"), status);

    Fixture fresh;
    fresh.arm(hour, minute, second);
    QCOMPARE(fresh.table.scanOn, qint16(0));
    QVERIFY(!fresh.table.slot(1).isSet());
    QCOMPARE(fresh.text("statuslbl"), QString("Wakemere v2.0 - Pellory Inc"));
}

void tst_mainfrm::missingFileStillArms()
{
    Fixture f;
    f.arm("7", "30", "00");
    QCOMPARE(f.dialogs.errors, QStringList{"A File Was Not Chosen"});
    QCOMPARE(f.text("statuslbl"), QString("Alarm 1 Set For 7:30:00 AM"));
    QVERIFY(f.table.slot(1).isSet());
    QCOMPARE(f.table.scanOn, qint16(1));
}

void tst_mainfrm::actionWithoutFileKeepsNone()
{
    Fixture f;
    f.main->db.FileName = "/tmp/alarm.wav";
    f.table.slot(1).almAction = DisplayMessage;
    f.table.slot(1).almFile = AlarmTable::NoFile;
    f.arm("7", "30", "00");
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.table.slot(1).almFile, AlarmTable::NoFile);
}

void tst_mainfrm::pickingSlots()
{
    Fixture f;
    f.main->db.FileName = "/tmp/alarm.wav";
    f.arm("12", "05", "00", true);   // noon: its offset is 0, yet PM

    f.type("hourtb", "9");
    f.pickSlot(2);
    QCOMPARE(f.table.curAlm, qint16(2));
    QCOMPARE(f.text("statuslbl"), QString("Alarm 2 Not Set"));
    QCOMPARE(f.text("hourtb"), QString());
    QCOMPARE(f.text("min"), QString());
    QCOMPARE(f.text("secs"), QString("00"));
    QCOMPARE(f.text("Text1"), QString());
    QCOMPARE(f.text("Combo1"), QString("CHOOSE OPTION"));
    QCOMPARE(f.table.slot(2).almAction, qint16(PlaySound));

    f.pickSlot(1);
    QCOMPARE(f.text("statuslbl"), QString("Alarm 1 Set For 12:05:00 PM"));
    QCOMPARE(f.text("hourtb"), QString("12"));
    QCOMPARE(f.text("min"), QString("5"));
    QCOMPARE(f.text("secs"), QString("0"));
    QCOMPARE(f.text("Text1"), QString("/tmp/alarm.wav"));
    QCOMPARE(f.text("Combo1"), QString("Play Sound"));
    QVERIFY(f.get<QRadioButton>("Option2")->isChecked());
    QCOMPARE(f.table.ampm, QString("PM"));
    QCOMPARE(f.dialogs.errors, QStringList());
}

void tst_mainfrm::deactivate()
{
    Fixture f;
    f.main->db.FileName = "/tmp/alarm.wav";
    f.pickSlot(3);
    f.arm("7", "30", "00");
    f.get<QPushButton>("Command2")->click();
    QCOMPARE(f.text("statuslbl"), QString("Alarm 3 Deactivated"));
    QCOMPARE(f.text("hourtb"), QString("7"));
    QVERIFY(!f.table.slot(3).isSet());

    QSignalSpy due(f.main.data(), &mainfrm::alarmDue);
    for (const QTime &t : {QTime(7, 30), QTime(0, 0), QTime(12, 0)})
        f.tickAt(t);
    QCOMPARE(due.count(), 0);

    f.pickSlot(1);
    f.pickSlot(3);
    QCOMPARE(f.text("statuslbl"), QString("Alarm 3 Deactivated"));
    QCOMPARE(f.text("hourtb"), QString());
}

void tst_mainfrm::clockShowsTimeAndScans()
{
    Fixture f;
    f.tickAt(QTime(7, 5, 9));
    QCOMPARE(f.text("today"), QString("07:05:09"));
    f.tickAt(QTime(19, 30, 0, 40));
    QCOMPARE(f.text("today"), QString("19:30:00"));
}

void tst_mainfrm::clockNeverFiresBeforeActivate()
{
    Fixture f;
    f.table.slot(1).almHour = 7;
    f.table.slot(1).almMin = 30;
    QSignalSpy due(f.main.data(), &mainfrm::alarmDue);
    f.tickAt(QTime(7, 30));
    QCOMPARE(due.count(), 0);
}

void tst_mainfrm::soundSetUpJustBeforeItsAlarm_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("prepared");
    QTest::newRow("sound file") << int(PlaySound) << "/tmp/alarm.wav"
                                << QStringList{"/tmp/alarm.wav"};
    QTest::newRow("no file: the tone") << int(PlaySound) << ""
                                       << QStringList{MediaPlayer::AlarmTone};
    QTest::newRow("message needs none") << int(DisplayMessage) << "/tmp/alarm.wav"
                                        << QStringList{};
}

void tst_mainfrm::soundSetUpJustBeforeItsAlarm()
{
    QFETCH(int, action);
    QFETCH(QString, file);
    QFETCH(QStringList, prepared);
    Fixture f;
    f.main->db.FileName = file;
    f.arm("7", "30", "00");
    f.table.slot(1).almAction = qint16(action);
    f.tickAt(QTime(7, 29, 57));
    QVERIFY(f.sound.prepared.isEmpty());    // not at start-up, nor long before
    f.tickAt(QTime(7, 29, 58));
    QCOMPARE(f.sound.prepared, prepared);
}

void tst_mainfrm::browseKeepsFileOnCancel()
{
    Fixture f;
    f.dialogs.nextFile = QString("/music/wake up.mp3");
    f.get<QPushButton>("browse")->click();
    QCOMPARE(f.text("Text1"), QString("/music/wake up.mp3"));
    QCOMPARE(f.dialogs.fileRequests.last().title, QString("Open Sound File"));
    QCOMPARE(f.dialogs.fileRequests.last().filters,
             QStringList({"MP3 File (*.mp3)", "Sound Files (*.wav)"}));

    f.dialogs.nextFile.reset();
    f.get<QPushButton>("browse")->click();
    QCOMPARE(f.main->db.FileName, QString("/music/wake up.mp3"));
    QCOMPARE(f.text("Text1"), QString("/music/wake up.mp3"));
}

void tst_mainfrm::shortcutsWorkInTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Ctrl+V in the hour box") << "hourtb" << "mnuVol"
                                            << QKeySequence(Qt::CTRL | Qt::Key_V);
    QTest::newRow("Ctrl+M in the file box") << "Text1" << "mnuMessage"
                                            << QKeySequence(Qt::CTRL | Qt::Key_M);
    QTest::newRow("F1 in the minute box") << "min" << "mnuHelpAbout" << QKeySequence(Qt::Key_F1);
    QTest::newRow("Ctrl+X in the file box") << "Text1" << "mnuFileExit"
                                            << QKeySequence(Qt::CTRL | Qt::Key_X);
}

void tst_mainfrm::shortcutsWorkInTextBoxes()
{
    QFETCH(QString, box);
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    Fixture f;
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main));
    auto *edit = f.get<QLineEdit>(box.toLatin1());
    edit->setText("12");
    edit->setFocus();
    QSignalSpy triggered(f.main->findChild<QAction *>(action), &QAction::triggered);
    QTest::keySequence(edit, keys);
    QCOMPARE(triggered.count(), 1);
    if (f.main)
        QCOMPARE(edit->text(), QString("12"));
}

QTEST_MAIN(tst_mainfrm)
#include "tst_mainfrm.moc"
