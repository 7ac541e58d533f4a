#include "fakedesk.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>

namespace {

const QString Sound1 = QStringLiteral("/music/wake up.mp3");
const QString Sound2 = QStringLiteral("/music/second.wav");
const QString Triggered = QStringLiteral("Alarm has been triggered!");

/// One slot as a test arms it: due at 7:30:00 AM.
struct Armed
{
    int slot;
    qint16 action;
    QString file;
    QString message;
};

/// The main window on fakes, with the alarm window, snooze and message dialogs it opens.
struct Desk : FakeDesk
{
    QString alarmText() const { return child<QLabel>(alarm(), "Label1")->text(); }
    bool counting() const { return child<QTimer>(alarm(), "Timer1")->isActive(); }
    bool snoozeOn() const { return child<QPushButton>(alarm(), "snooze")->isEnabled(); }
    /// The last slot's sound rings; Snooze is pressed and the minutes typed.
    snzfrm *snooze(const QString &minutes)
    {
        arm(AlarmTable::SlotCount, PlaySound, Sound1);
        fire();
        click(alarm(), "snooze");
        QTest::keyClicks(child(forms.snoozeFormIfLoaded(), "Text1"), minutes);
        return forms.snoozeFormIfLoaded();
    }
};

} // namespace

class tst_AlarmWindows : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
    void actionChoice_data();
    void actionChoice();
    void snooze_data();
    void snooze();
    void powerCountdown_data();
    void powerCountdown();
    void messageDialog_data();
    void messageDialog();
};

void tst_AlarmWindows::dispatch_data()
{
    using L = QList<Armed>;
    QTest::addColumn<L>("armed");
    QTest::addColumn<QStringList>("acted");   // sounds played, then files opened
    QTest::addColumn<int>("firedAlm");
    QTest::addColumn<QString>("text");        // empty: the default text
    QTest::addColumn<QString>("buttons");     // "snooze", "countdown" or "close only"
    QTest::addColumn<QString>("leave");       // the button, or the title bar's close box
    QTest::addColumn<bool>("playing");        // afterwards
    const Armed tea{1, DisplayMessage, "None", "Tea"};
    const Armed bye{1, RebootComputer, "None", "Bye"};
    const Armed sound1{1, PlaySound, Sound1, {}};
    const Armed sound2{2, PlaySound, Sound2, {}};
    QTest::newRow("nothing due") << L() << QStringList() << 0 << "" << "snooze" << "shutoff"
                                 << false;
    QTest::newRow("sound, Close: silenced") << L{sound1} << QStringList{Sound1} << 1 << ""
                                            << "snooze" << "shutoff" << false;
    QTest::newRow("sound, title bar: plays on") << L{sound1} << QStringList{Sound1} << 1 << ""
                                                << "snooze" << "title bar" << true;
    // The sound ends with the program.
    QTest::newRow("sound with its own message, Exit Program")
        << L{{2, PlaySound, Sound1, "Up"}} << QStringList{Sound1} << 2 << "Up" << "snooze"
        << "exit" << true;
    QTest::newRow("program ends the scan")
        << L{{1, RunProgram, "/opt/backup", {}}, {5, DisplayMessage, "None", "Go"}}
        << QStringList{"/opt/backup"} << 1 << "" << "close only" << "title bar" << false;
    QTest::newRow("restart, title bar: cancelled") << L{bye} << QStringList() << 1 << "Bye"
                                                   << "countdown" << "title bar" << false;
    QTest::newRow("message then shutdown: the window is not reloaded")
        << L{tea, {2, ShutdownWindows, "None", "Bye"}} << QStringList() << 2 << "Tea"
        << "countdown" << "exit" << false;
    QTest::newRow("restart then sound: the sound cancels the countdown")
        << L{bye, sound2} << QStringList{Sound2} << 2 << "" << "snooze" << "shutoff" << false;
}

void tst_AlarmWindows::dispatch()
{
    QFETCH(QList<Armed>, armed);
    QFETCH(QString, text);
    QFETCH(QString, buttons);
    QFETCH(QString, leave);
    Desk desk;
    for (const Armed &slot : armed)
        desk.arm(slot.slot, slot.action, slot.file, slot.message);
    desk.fire();
    if (armed.isEmpty())   // loaded with no alarm behind it
        desk.forms.activeForm()->show();
    QTEST(desk.sound.played + desk.opener.opened, "acted");
    QTEST(int(desk.table.firedAlm), "firedAlm");
    QVERIFY(desk.alarm()->isVisible());
    QCOMPARE(desk.alarmText(), text.isEmpty() ? Triggered : text);
    QCOMPARE(desk.snoozeOn(), buttons == "snooze");
    QCOMPARE(desk.counting(), buttons == "countdown");
    QCOMPARE(!child(desk.alarm(), "snzlbl")->isHidden(), desk.counting());
    QVERIFY(child(desk.alarm(), "shutoff")->isEnabled());

    QPointer<activefrm> alarm = desk.alarm();
    QSignalSpy ending(&desk.forms, &Forms::ending);
    if (leave == "title bar")
        alarm->close();
    else
        desk.click(alarm, leave.toLatin1());
    QTEST(desk.sound.playing, "playing");
    QCOMPARE(desk.lifecycle.quits, int(leave == "exit"));
    QCOMPARE(ending.count(), desk.lifecycle.quits);
    QCOMPARE(desk.trayIcon.visible, leave != "exit");
    if (desk.lifecycle.quits)
        QVERIFY(!desk.counting());   // nothing may come after the end
    else
        QTRY_VERIFY(alarm.isNull());
}

void tst_AlarmWindows::actionChoice_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("Play Sound") << 0 << AlarmTable::SoundFilter << "" << "Old";
    QTest::newRow("Run Program") << 1 << "Programs(*.exe)|*.exe" << "" << "Old";
    QTest::newRow("Display Message") << 3 << "start" << "None" << "Old";
    QTest::newRow("Reboot") << 5 << "start" << "None" << "Computer Will Reboot In 1 Minute!";
}

void tst_AlarmWindows::actionChoice()
{
    QFETCH(int, action);
    QFETCH(QString, file);
    Desk desk;
    desk.table.curAlm = 2;
    desk.table.fileFilter = "start";
    desk.table.slot(2).almFile = "None";   // left by an earlier message, shutdown or restart
    desk.table.slot(2).almMsg = "Old";
    child<QLineEdit>(desk.main, "Text1")->setText("/tmp/shown.wav");
    desk.pick("Combo1", action);

    QCOMPARE(int(desk.table.slot(2).almAction), action);
    QTEST(desk.table.fileFilter, "filter");
    QCOMPARE(desk.table.slot(2).almFile, file);
    QTEST(desk.table.slot(2).almMsg, "message");
    QCOMPARE(child<QLineEdit>(desk.main, "Text1")->text(), QString());
    QCOMPARE(child(desk.main, "browse")->isHidden(), file == "None");
    QCOMPARE(desk.forms.messageFormIfLoaded() != nullptr, action == DisplayMessage);
}

void tst_AlarmWindows::snooze_data()
{
    QTest::addColumn<QString>("minutes");     // typed
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QString>("then");        // "counting", "ringing" or "silent"
    QTest::newRow("0 minutes: one second") << "0" << "" << "counting";
    QTest::newRow("9 minutes: tick 541") << "9" << "" << "counting";
    QTest::newRow("alarm window closed: counts down unseen") << "0" << "alarm closed"
                                                             << "counting";
    // With no other window left the alarm shows again, instead of ending the program under it.
    QTest::newRow("main window gone: the alarm shows again") << "0" << "main gone" << "counting";
    QTest::newRow("reloaded: no countdown left") << "5" << "reloaded" << "silent";
    // Which texts are refused is tst_numtext's; here what the windows do about it.
    QTest::newRow("refused: the dialog stays") << "2.5" << "" << "ringing";
    QTest::newRow("Cancel") << "5" << "cancel" << "ringing";
}

void tst_AlarmWindows::snooze()
{
    QFETCH(QString, minutes);
    QFETCH(QString, meanwhile);
    QFETCH(QString, then);
    Desk desk;
    snzfrm *dialog = desk.snooze(minutes);
    if (meanwhile == "main gone")
        delete desk.main;
    if (meanwhile == "alarm closed")
        desk.alarm()->close();
    desk.click(dialog, meanwhile == "cancel" ? "Command2" : "ok");
    if (meanwhile == "reloaded")
        desk.alarm()->Form_Load();
    const bool refused = minutes == "2.5";
    QCOMPARE(desk.forms.snoozeFormIfLoaded() != nullptr, refused);
    QCOMPARE(desk.dialogs.errors.size(), int(refused));
    QCOMPARE(desk.sound.playing, then == "ringing");
    QCOMPARE(desk.snoozeOn(), then == "ringing");
    QCOMPARE(desk.counting(), then == "counting");
    if (then != "counting")
        return;
    QCOMPARE(desk.alarmText(), QString("Snooze has been set for %1 minutes").arg(minutes));
    QCOMPARE(desk.alarm()->isVisible(), meanwhile != "alarm closed");

    desk.countdown(minutes.toInt() * 60);
    QCOMPARE(desk.sound.played.size(), 1);
    desk.countdown();
    QCOMPARE(desk.sound.played, QStringList({Sound1, Sound1}));
    QVERIFY(desk.sound.playing);
    QCOMPARE(desk.alarm() && desk.alarm()->isVisible(), meanwhile == "main gone");
    QCOMPARE(desk.lifecycle.quits, 0);
    if (meanwhile == "main gone") {
        QVERIFY(desk.snoozeOn());
        desk.click(desk.alarm(), "shutoff");
        QTRY_COMPARE(desk.lifecycle.quits, 1);
    }
}

void tst_AlarmWindows::powerCountdown_data()
{
    QTest::addColumn<qint16>("action");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("request");
    const auto shutdown = qint16(ShutdownWindows);
    QTest::newRow("shutdown accepted") << shutdown << int(PowerControl::Accepted) << "PowerOff";
    QTest::newRow("shutdown refused") << shutdown << int(PowerControl::Refused) << "PowerOff";
    QTest::newRow("restart unanswered") << qint16(RebootComputer) << int(PowerControl::NoAnswer)
                                        << "Reboot";
}

void tst_AlarmWindows::powerCountdown()
{
    QFETCH(qint16, action);
    QFETCH(int, answer);
    const bool accepted = answer == PowerControl::Accepted;
    Desk desk;
    desk.main->show();
    desk.arm(2, PlaySound, Sound2);
    desk.table.slot(2).almMin = 45;
    desk.arm(1, action, "None", "Bye");
    desk.fire();
    QCOMPARE(desk.sound.stops, 1);
    QSignalSpy ending(&desk.forms, &Forms::ending);

    desk.countdown(60);
    QVERIFY(desk.power.requests.isEmpty());
    desk.countdown();
    QTEST(desk.power.requests.join(""), "request");
    QVERIFY(!desk.counting());
    // While the system answers nothing shows, and nothing has ended yet.
    QVERIFY(!desk.main->isVisible());
    QVERIFY(!desk.alarm()->isVisible());
    QCOMPARE(desk.lifecycle.quits, 0);

    desk.power.answer(PowerControl::Answer(answer));
    QCOMPARE(desk.dialogs.errors.size(), int(!accepted));
    QCOMPARE(desk.lifecycle.quits, int(accepted));
    QCOMPARE(ending.count(), desk.lifecycle.quits);
    if (accepted)
        return;
    // The program stays, with its main window and the other alarm.
    QVERIFY(desk.main->isVisible());
    desk.tickAt(QTime(7, 44, 59));
    desk.tickAt(QTime(7, 45, 0));
    QCOMPARE(desk.sound.played, QStringList{Sound2});
}

void tst_AlarmWindows::messageDialog_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << "ok";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void tst_AlarmWindows::messageDialog()
{
    QFETCH(QString, how);
    Desk desk;
    desk.table.curAlm = 3;
    desk.table.slot(3).almMsg = "Stretch";
    desk.table.slot(4).almMsg = "Keep me";
    desk.main->mnuMessage_Click();
    QPointer<messagefrm> dialog = desk.forms.messageFormIfLoaded();
    QVERIFY(!dialog->windowTitle().isEmpty());
    auto *box = child<QLineEdit>(dialog, "Text1");
    QCOMPARE(box->text(), QString("Stretch"));
    box->setText("Drink water");

    // Another slot picked meanwhile: the open dialog only comes forward, keeping what it shows;
    // OK stores into the slot current then.
    desk.table.curAlm = 4;
    desk.pick("Combo1", DisplayMessage);
    QCOMPARE(desk.forms.messageFormIfLoaded(), dialog.data());
    QCOMPARE(child<QLabel>(dialog, "almlbl")->text(), QString("ALARM 3"));
    if (how == "ok")
        desk.click(dialog, "ok");
    else if (how == "close")
        dialog->close();
    else
        QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(desk.table.slot(4).almMsg, QString(how == "ok" ? "Drink water" : "Keep me"));
    QCOMPARE(desk.table.slot(3).almMsg, QString("Stretch"));
    QVERIFY(!desk.forms.messageFormIfLoaded());
    QTRY_VERIFY(dialog.isNull());
}

QTEST_MAIN(tst_AlarmWindows)
#include "tst_alarmwindows.moc"
