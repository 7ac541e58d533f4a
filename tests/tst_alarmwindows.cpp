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
    /// Plays slot 1's sound and opens the alarm window, as at 7:30:00.
    activefrm *ring()
    {
        arm(1, PlaySound, Sound1);
        fire();
        return alarm();
    }
    QString alarmText() const { return child<QLabel>(alarm(), "Label1")->text(); }
    QString countdownText() const { return child<QLabel>(alarm(), "snzlbl")->text(); }
    bool countdownShown() const { return !child<QLabel>(alarm(), "snzlbl")->isHidden(); }
    bool counting() const { return child<QTimer>(alarm(), "Timer1")->isActive(); }
    bool snoozeOn() const { return child<QPushButton>(alarm(), "snooze")->isEnabled(); }
    /// Presses Snooze, types the minutes and presses OK.
    void snooze(const QString &minutes)
    {
        click(alarm(), "snooze");
        QTest::keyClicks(child(forms.snoozeFormIfLoaded(), "Text1"), minutes);
        click(forms.snoozeFormIfLoaded(), "ok");
    }
};

} // namespace

class tst_AlarmWindows : public QObject
{
    Q_OBJECT
private slots:
    void windowsOpenReady();
    void dispatch_data();
    void dispatch();
    void actionChoice_data();
    void actionChoice();
    void leavingTheAlarm_data();
    void leavingTheAlarm();
    void snoozeCountsDownAndReplays_data();
    void snoozeCountsDownAndReplays();
    void snoozeRefuses();
    void snoozeCancelAndEscape();
    void snoozeOutlivesItsWindows_data();
    void snoozeOutlivesItsWindows();
    void powerCountdown_data();
    void powerCountdown();
    void newStartWhileThePowerAnswerIsDue_data();
    void newStartWhileThePowerAnswerIsDue();
    void powerCountdownKeepsAnOpenWindow();
    void changedActionNeverEnds_data();
    void changedActionNeverEnds();
    void messageDialog();
    void messageDialogCancels_data();
    void messageDialogCancels();
    void messageDialogComesForward();
};

void tst_AlarmWindows::windowsOpenReady()
{
    Desk desk;
    activefrm *alarm = desk.ring();
    QCOMPARE(alarm->windowTitle(), QString("ALARM!"));
    QVERIFY(QTest::qWaitForWindowActive(alarm));
    QCOMPARE(QApplication::focusWidget(), child(alarm, "snooze"));

    desk.click(alarm, "snooze");
    snzfrm *snooze = desk.forms.snoozeFormIfLoaded();
    QCOMPARE(snooze->windowTitle(), QString("Set Snooze"));
    QVERIFY(QTest::qWaitForWindowActive(snooze));
    QCOMPARE(QApplication::focusWidget(), child(snooze, "Text1"));
    QVERIFY(child<QPushButton>(snooze, "ok")->isDefault());

    desk.main->mnuMessage_Click();
    messagefrm *message = desk.forms.messageFormIfLoaded();
    QCOMPARE(message->windowTitle(), QString("Set Message"));
    QVERIFY(QTest::qWaitForWindowActive(message));
    QCOMPARE(QApplication::focusWidget(), child(message, "ok"));
    QVERIFY(child<QPushButton>(message, "ok")->isDefault());
}

void tst_AlarmWindows::dispatch_data()
{
    QTest::addColumn<QList<Armed>>("armed");
    QTest::addColumn<QStringList>("acted");   // sounds played, then programs and files opened
    QTest::addColumn<int>("firedAlm");
    QTest::addColumn<QString>("text");        // empty: the default text
    QTest::addColumn<QString>("buttons");     // "snooze", "countdown" or "close only"
    const QString doc = QStringLiteral("/home/me/plan; $1 'a'.pdf");
    const Armed tea{1, DisplayMessage, "None", "Tea"};
    QTest::newRow("sound") << QList<Armed>{{1, PlaySound, Sound1, {}}} << QStringList{Sound1}
                           << 1 << "" << "snooze";
    QTest::newRow("sound with its own message") << QList<Armed>{{2, PlaySound, Sound1, "Up"}}
                                                << QStringList{Sound1} << 2 << "Up" << "snooze";
    QTest::newRow("message then sound: the sound's window")
        << QList<Armed>{tea, {2, PlaySound, Sound2, {}}} << QStringList{Sound2} << 2 << ""
        << "snooze";
    QTest::newRow("program ends the scan")
        << QList<Armed>{{1, RunProgram, "/opt/backup", {}}, {2, DisplayMessage, "None", "Go"}}
        << QStringList{"/opt/backup"} << 1 << "" << "close only";
    QTest::newRow("document") << QList<Armed>{{3, OpenFile, doc, "Read it"}} << QStringList{doc}
                              << 3 << "Read it" << "close only";
    QTest::newRow("two messages: the last")
        << QList<Armed>{tea, {5, DisplayMessage, "None", "Go"}} << QStringList() << 5 << "Go"
        << "close only";
    QTest::newRow("shutdown") << QList<Armed>{{1, ShutdownWindows, "None", "Bye"}}
                              << QStringList() << 1 << "Bye" << "countdown";
    QTest::newRow("message then restart: the window is not reloaded")
        << QList<Armed>{tea, {2, RebootComputer, "None", "Bye"}} << QStringList() << 2 << "Tea"
        << "countdown";
    QTest::newRow("restart then sound: the sound cancels the countdown")
        << QList<Armed>{{1, RebootComputer, "None", "Bye"}, {2, PlaySound, Sound2, {}}}
        << QStringList{Sound2} << 2 << "" << "snooze";
}

void tst_AlarmWindows::dispatch()
{
    QFETCH(QList<Armed>, armed);
    QFETCH(QString, text);
    QFETCH(QString, buttons);
    Desk desk;
    for (const Armed &slot : armed)
        desk.arm(slot.slot, slot.action, slot.file, slot.message);
    desk.fire();
    QTEST(desk.sound.played + desk.opener.ran + desk.opener.opened, "acted");
    QTEST(int(desk.table.firedAlm), "firedAlm");
    QVERIFY(desk.alarm() && desk.alarm()->isVisible());
    QCOMPARE(desk.alarmText(), text.isEmpty() ? Triggered : text);
    QCOMPARE(desk.snoozeOn(), buttons == "snooze");
    QCOMPARE(desk.counting(), buttons == "countdown");
    QCOMPARE(desk.countdownShown(), desk.counting());
    QVERIFY(child(desk.alarm(), "shutoff")->isEnabled());
}

void tst_AlarmWindows::actionChoice_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("fileControls");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("messageDialog");
    QTest::newRow("Play Sound") << 0 << "MP3 File(*.mp3)|*.mp3|Sound Files(*.wav)|*.wav" << true
                                << "" << "Old" << false;
    QTest::newRow("Run Program") << 1 << "Programs(*.exe)|*.exe" << true << "" << "Old" << false;
    QTest::newRow("Open File") << 2 << "All Files(*.*)|*.*" << true << "" << "Old" << false;
    QTest::newRow("Display Message") << 3 << "start" << false << "None" << "Old" << true;
    QTest::newRow("Shutdown Windows") << 4 << "start" << false << "None"
                                      << "Computer Will Shutdown In 1 Minute!" << false;
    QTest::newRow("Reboot Computer") << 5 << "start" << false << "None"
                                     << "Computer Will Reboot In 1 Minute!" << false;
}

void tst_AlarmWindows::actionChoice()
{
    QFETCH(int, action);
    QFETCH(QString, filter);
    Desk desk;
    desk.table.curAlm = 2;
    desk.table.fileFilter = "start";
    desk.table.slot(2).almFile = "None";   // left by an earlier message, shutdown or restart
    desk.table.slot(2).almMsg = "Old";
    auto *combo = child<QComboBox>(desk.main, "Combo1");
    child<QLineEdit>(desk.main, "Text1")->setText("/tmp/shown.wav");
    combo->setCurrentIndex(action);
    emit combo->activated(action);

    QCOMPARE(int(desk.table.slot(2).almAction), action);
    QCOMPARE(desk.table.fileFilter, filter);
    QTEST(desk.table.slot(2).almFile, "file");
    QTEST(desk.table.slot(2).almMsg, "message");
    QCOMPARE(child<QLineEdit>(desk.main, "Text1")->text(), QString());
    for (const char *name : {"Text1", "browse", "Image2"})
        QTEST(!child(desk.main, name)->isHidden(), "fileControls");
    QTEST(desk.forms.messageFormIfLoaded() != nullptr, "messageDialog");
    QCOMPARE(desk.table.slot(1).almAction, qint16(PlaySound));
}

void tst_AlarmWindows::leavingTheAlarm_data()
{
    QTest::addColumn<qint16>("action");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("quits");
    const auto sound = qint16(PlaySound);
    const auto shutdown = qint16(ShutdownWindows);
    QTest::newRow("sound, Close: silenced") << sound << "shutoff" << false << 0;
    QTest::newRow("sound, title bar: plays on") << sound << "title bar" << true << 0;
    // The sound ends with the program.
    QTest::newRow("sound, Exit Program: ends at once") << sound << "exit" << true << 1;
    QTest::newRow("shutdown, Close: cancelled") << shutdown << "shutoff" << false << 0;
    QTest::newRow("shutdown, title bar: cancelled") << shutdown << "title bar" << false << 0;
    QTest::newRow("shutdown, Exit Program: none") << shutdown << "exit" << false << 1;
}

void tst_AlarmWindows::leavingTheAlarm()
{
    QFETCH(qint16, action);
    QFETCH(QString, how);
    Desk desk;
    desk.arm(1, action, Sound1, "Bye");
    desk.fire();
    QPointer<activefrm> alarm = desk.alarm();
    QSignalSpy ending(&desk.forms, &Forms::ending);
    if (how == "title bar")
        alarm->close();
    else
        desk.click(alarm, how.toLatin1());
    QTEST(desk.sound.playing, "playing");
    QTEST(desk.lifecycle.quits, "quits");
    QCOMPARE(ending.count(), desk.lifecycle.quits);
    if (desk.lifecycle.quits)
        QVERIFY(!desk.counting());
    else
        QTRY_VERIFY(alarm.isNull());
    QVERIFY(desk.power.requests.isEmpty());
}

void tst_AlarmWindows::snoozeCountsDownAndReplays_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<int>("endTick");
    QTest::newRow("0 minutes: one second") << "0" << 1;
    QTest::newRow("5 minutes: tick 301") << "5" << 301;
    QTest::newRow("blank before 5: quoted as typed") << " 5" << 301;
}

void tst_AlarmWindows::snoozeCountsDownAndReplays()
{
    QFETCH(QString, minutes);
    QFETCH(int, endTick);
    Desk desk;
    desk.ring();
    desk.snooze(minutes);
    QVERIFY(!desk.sound.playing);
    QVERIFY(!desk.forms.snoozeFormIfLoaded());
    QCOMPARE(desk.alarmText(), QString("Snooze has been set for %1 minutes").arg(minutes));
    QVERIFY(desk.countdownShown());
    QVERIFY(desk.counting());
    QVERIFY(!desk.snoozeOn());

    desk.countdown(endTick - 1);
    if (endTick > 1) {
        QCOMPARE(desk.countdownText(), QString("Time Remaining:  0 :0 0"));
        QCOMPARE(desk.sound.played.size(), 1);
    }
    QPointer<activefrm> alarm = desk.alarm();
    desk.countdown();
    QCOMPARE(desk.sound.played, QStringList({Sound1, Sound1}));
    QVERIFY(desk.sound.playing);
    QVERIFY(!desk.alarm());
    QVERIFY(!alarm || alarm->isHidden());
}

void tst_AlarmWindows::snoozeRefuses()
{
    // Which texts are refused is tst_countdown's; here what the windows do about it.
    const QString minutes = "2.5";
    Desk desk;
    desk.ring();
    desk.snooze(minutes);
    QCOMPARE(desk.dialogs.errors,
             QStringList{"Snooze must be a whole number of minutes from 0 to 1440"});
    snzfrm *dialog = desk.forms.snoozeFormIfLoaded();
    QVERIFY(dialog && dialog->isVisible());
    auto *box = child<QLineEdit>(dialog, "Text1");
    QCOMPARE(box->selectedText(), minutes);
    QVERIFY(desk.sound.playing);
    QVERIFY(!desk.counting());
    QCOMPARE(desk.alarmText(), Triggered);

    QTest::keyClicks(box, "1");   // replaces the selected text
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(desk.counting());
    QCOMPARE(desk.alarmText(), QString("Snooze has been set for 1 minutes"));
}

void tst_AlarmWindows::snoozeCancelAndEscape()
{
    Desk desk;
    desk.ring();
    desk.click(desk.alarm(), "snooze");
    QPointer<snzfrm> dialog = desk.forms.snoozeFormIfLoaded();
    QTest::keyClicks(child(dialog, "Text1"), "5");
    QTest::keyClick(child(dialog, "Text1"), Qt::Key_Escape);
    QVERIFY(dialog->isVisible());

    desk.click(desk.alarm(), "snooze");   // brings the same dialog forward
    QCOMPARE(desk.forms.snoozeFormIfLoaded(), dialog.data());
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QString("5"));

    desk.click(dialog, "Command2");
    QVERIFY(!desk.forms.snoozeFormIfLoaded());
    QVERIFY(desk.sound.playing);
    QVERIFY(desk.snoozeOn());
    QVERIFY(!desk.counting());
}

void tst_AlarmWindows::snoozeOutlivesItsWindows_data()
{
    QTest::addColumn<bool>("mainGone");
    QTest::newRow("alarm window closed: counts down unseen") << false;
    QTest::newRow("main window gone: the alarm shows again") << true;
}

void tst_AlarmWindows::snoozeOutlivesItsWindows()
{
    QFETCH(bool, mainGone);
    Desk desk;
    desk.ring();
    desk.click(desk.alarm(), "snooze");
    QTest::keyClicks(child(desk.forms.snoozeFormIfLoaded(), "Text1"), "0");
    if (mainGone)
        delete desk.main;
    else
        desk.alarm()->close();
    desk.click(desk.forms.snoozeFormIfLoaded(), "ok");
    QVERIFY(desk.counting());
    QCOMPARE(desk.alarm()->isVisible(), mainGone);

    // The player is the program's: the sound comes back. With no other window left the alarm
    // shows again, instead of ending the program under it.
    desk.countdown();
    QCOMPARE(desk.sound.played, QStringList({Sound1, Sound1}));
    QVERIFY(desk.sound.playing);
    QCOMPARE(desk.alarm() && desk.alarm()->isVisible(), mainGone);
    QCOMPARE(desk.lifecycle.quits, 0);
    if (mainGone) {
        QVERIFY(desk.snoozeOn());
        desk.click(desk.alarm(), "shutoff");
        QVERIFY(!desk.sound.playing);
        QTRY_COMPARE(desk.lifecycle.quits, 1);
    }
}

void tst_AlarmWindows::powerCountdown_data()
{
    QTest::addColumn<qint16>("action");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("error");   // empty: the program ends
    const auto shutdown = qint16(ShutdownWindows);
    const auto restart = qint16(RebootComputer);
    QTest::newRow("shutdown accepted") << shutdown << int(PowerControl::Accepted) << ""
                                       << "PowerOff" << "";
    QTest::newRow("restart accepted") << restart << int(PowerControl::Accepted) << ""
                                      << "Reboot" << "";
    QTest::newRow("shutdown refused")
        << shutdown << int(PowerControl::Refused) << "Access denied" << "PowerOff"
        << "The computer could not be shut down.\n\nAccess denied";
    QTest::newRow("restart unanswered")
        << restart << int(PowerControl::NoAnswer) << "" << "Reboot"
        << "The computer could not be restarted.\n\nThe system did not answer in time.";
}

void tst_AlarmWindows::powerCountdown()
{
    QFETCH(qint16, action);
    QFETCH(int, answer);
    QFETCH(QString, reason);
    QFETCH(QString, error);
    Desk desk;
    desk.main->show();
    desk.arm(2, PlaySound, Sound2);
    desk.table.slot(2).almMin = 45;
    desk.arm(1, action, "None", "Bye");
    desk.fire();
    QCOMPARE(desk.sound.stops, 1);
    QSignalSpy ending(&desk.forms, &Forms::ending);

    desk.countdown();
    QCOMPARE(desk.countdownText(), QString("Time Remaining:  0: 59"));
    desk.countdown(59);
    QCOMPARE(desk.countdownText(), QString("Time Remaining:  0 :0 0"));
    QVERIFY(desk.power.requests.isEmpty());
    desk.countdown();
    QTEST(desk.power.requests.join(""), "request");
    QVERIFY(!desk.counting());
    // While the system answers nothing shows, and nothing has ended yet.
    QVERIFY(!desk.main->isVisible());
    QVERIFY(!desk.alarm()->isVisible());
    QCOMPARE(desk.lifecycle.quits, 0);

    desk.power.answer(PowerControl::Answer(answer), reason);
    QCOMPARE(desk.dialogs.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(desk.lifecycle.quits, error.isEmpty() ? 1 : 0);
    QCOMPARE(ending.count(), desk.lifecycle.quits);
    if (error.isEmpty())
        return;
    // The program stays, with its main window, its icon and the other alarm.
    QVERIFY(desk.main->isVisible());
    QVERIFY(!desk.alarm());
    QVERIFY(desk.trayIcon.visible);
    desk.tickAt(QTime(7, 44, 59));
    desk.tickAt(QTime(7, 45, 0));
    QCOMPARE(desk.sound.played, QStringList{Sound2});
}

void tst_AlarmWindows::newStartWhileThePowerAnswerIsDue_data()
{
    QTest::addColumn<bool>("mainClosed");
    QTest::newRow("main window loaded") << false;
    QTest::newRow("main window closed") << true;
}

// A later start of the program asks the running one to show itself: it must not find a
// program with nothing left on screen.
void tst_AlarmWindows::newStartWhileThePowerAnswerIsDue()
{
    QFETCH(bool, mainClosed);
    Desk desk;
    desk.main->show();
    desk.arm(1, ShutdownWindows, "None", "Bye");
    desk.fire();
    if (mainClosed)
        desk.main->close();
    desk.countdown(61);
    QCOMPARE(desk.power.requests, QStringList{"PowerOff"});
    QVERIFY(!desk.alarm()->isVisible());
    desk.forms.showProgram();
    QVERIFY(mainClosed ? desk.alarm()->isVisible() : desk.main->isVisible());
}

void tst_AlarmWindows::powerCountdownKeepsAnOpenWindow()
{
    Desk desk;
    desk.ring();
    desk.snooze("5");
    desk.countdown(10);
    QPointer<activefrm> alarm = desk.alarm();

    desk.arm(2, ShutdownWindows, "None", "Bye");
    desk.table.slot(2).almMin = 31;
    desk.clock.set(QTime(7, 31, 0));   // slot 1 is not due now
    desk.main->Timer1_Timer();
    QCOMPARE(desk.alarm(), alarm.data());
    QCOMPARE(desk.alarmText(), QString("Snooze has been set for 5 minutes"));
    QCOMPARE(desk.table.firedAlm, qint16(2));

    // The 50 seconds left of the minute, then one tick more.
    desk.countdown(50);
    QVERIFY(desk.power.requests.isEmpty());
    desk.countdown();
    QCOMPARE(desk.power.requests, QStringList{"PowerOff"});
}

void tst_AlarmWindows::changedActionNeverEnds_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("open window counts on") << true;
    QTest::newRow("unseen window goes") << false;
}

void tst_AlarmWindows::changedActionNeverEnds()
{
    QFETCH(bool, shown);
    Desk desk;
    desk.arm(1, ShutdownWindows, "None", "Bye");
    desk.fire();
    desk.countdown(30);
    desk.table.slot(1).almAction = DisplayMessage;
    if (!shown) {
        delete desk.main;
        desk.alarm()->hide();
    }
    desk.countdown(31);
    QVERIFY(desk.power.requests.isEmpty());
    if (shown) {
        QCOMPARE(desk.countdownText(), QString("Time Remaining: -1: 59"));
        QVERIFY(desk.counting());
    } else {
        // Nothing was left to reach the program by: it ended.
        QVERIFY(!desk.alarm());
        QTRY_COMPARE(desk.lifecycle.quits, 1);
    }
}

void tst_AlarmWindows::messageDialog()
{
    Desk desk;
    desk.table.curAlm = 3;
    desk.table.slot(3).almMsg = "Stretch";
    desk.main->mnuMessage_Click();
    QPointer<messagefrm> dialog = desk.forms.messageFormIfLoaded();
    QCOMPARE(child<QLabel>(dialog, "almlbl")->text(), QString("ALARM 3"));
    auto *box = child<QLineEdit>(dialog, "Text1");
    QCOMPARE(box->text(), QString("Stretch"));

    // Another slot picked meanwhile: the dialog keeps what it shows, OK stores into the new one.
    desk.table.curAlm = 4;
    box->setText("Drink water");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(desk.table.slot(4).almMsg, QString("Drink water"));
    QCOMPARE(desk.table.slot(3).almMsg, QString("Stretch"));
    QVERIFY(!desk.forms.messageFormIfLoaded());
    QTRY_VERIFY(dialog.isNull());

    desk.main->mnuMessage_Click();
    dialog = desk.forms.messageFormIfLoaded();
    QCOMPARE(child<QLabel>(dialog, "almlbl")->text(), QString("ALARM 4"));
    child<QLineEdit>(dialog, "Text1")->clear();
    desk.click(dialog, "ok");
    QCOMPARE(desk.table.slot(4).almMsg, QString());
}

void tst_AlarmWindows::messageDialogCancels_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void tst_AlarmWindows::messageDialogCancels()
{
    QFETCH(QString, how);
    Desk desk;
    desk.table.slot(1).almMsg = "Keep me";
    desk.main->mnuMessage_Click();
    messagefrm *dialog = desk.forms.messageFormIfLoaded();
    auto *box = child<QLineEdit>(dialog, "Text1");
    box->setText("Changed");
    if (how == "cancel")
        desk.click(dialog, "cancel");
    else if (how == "escape")
        QTest::keyClick(box, Qt::Key_Escape);
    else
        dialog->close();
    QCOMPARE(desk.table.slot(1).almMsg, QString("Keep me"));
    QVERIFY(!desk.forms.messageFormIfLoaded());
}

void tst_AlarmWindows::messageDialogComesForward()
{
    Desk desk;
    desk.main->mnuMessage_Click();
    messagefrm *dialog = desk.forms.messageFormIfLoaded();
    child<QLineEdit>(dialog, "Text1")->setText("typed");
    desk.table.curAlm = 2;
    emit child<QComboBox>(desk.main, "Combo1")->activated(DisplayMessage);
    QCOMPARE(desk.forms.messageFormIfLoaded(), dialog);
    QCOMPARE(child<QLabel>(dialog, "almlbl")->text(), QString("ALARM 1"));
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QString("typed"));
}

QTEST_MAIN(tst_AlarmWindows)
#include "tst_alarmwindows.moc"
