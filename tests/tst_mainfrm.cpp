#include "fakedesk.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

const QString File = QStringLiteral("/tmp/alarm.wav");

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
    /// Types the time, picks AM or PM and presses Activate Alarm.
    void arm(const QString &h, const QString &m, const QString &s, bool pm = false)
    {
        type("hourtb", h);
        type("min", m);
        type("secs", s);
        child<QRadioButton>(main, pm ? "Option2" : "Option1")->click();
        click(main, "activate");
    }
};

} // namespace

class tst_mainfrm : public QObject
{
    Q_OBJECT
private slots:
    void activate_data();
    void activate();
    void pickingAndDeactivatingSlots();
    void browseKeepsFileOnCancel();
    void shortcutsWorkInTextBoxes_data();
    void shortcutsWorkInTextBoxes();
};

void tst_mainfrm::activate_data()
{
    QTest::addColumn<QString>("typed");    // hour:minute:second AM|PM
    QTest::addColumn<int>("action");       // the slot's action before Activate
    QTest::addColumn<QString>("chosen");   // the file chosen with BROWSE
    QTest::addColumn<QTime>("dueAt");      // refused: 6:00, as armed first
    QTest::addColumn<QString>("file");     // the slot's file afterwards
    QTest::newRow("7:30:00 AM") << "7:30:00 AM" << 0 << File << QTime(7, 30) << File;
    QTest::newRow("7:30:00 PM") << "7:30:00 PM" << 0 << File << QTime(19, 30) << File;
    QTest::newRow("texts as typed") << "07:5:9 AM" << 0 << File << QTime(7, 5, 9) << File;
    QTest::newRow("no file chosen: armed all the same") << "7:30:00 AM" << 0 << "" << QTime(7, 30)
                                                        << "";
    QTest::newRow("a restart keeps its None") << "7:30:00 AM" << int(RebootComputer) << File
                                              << QTime(7, 30) << AlarmTable::NoFile;
    QTest::newRow("hour 0 refused") << "0:15:00 PM" << 0 << File << QTime(6, 0) << File;
}

void tst_mainfrm::activate()
{
    QFETCH(QString, typed);
    QFETCH(int, action);
    QFETCH(QString, chosen);
    QFETCH(QTime, dueAt);
    Fixture f;
    f.main->db.FileName = File;
    f.arm("6", "00", "00");
    f.pick("Combo1", action);
    f.main->db.FileName = chosen;
    f.dialogs.errors.clear();
    const QStringList parts = typed.split(QRegularExpression("[: ]"));
    f.arm(parts[0], parts[1], parts[2], parts[3] == "PM");

    const bool refused = dueAt == QTime(6, 0);
    const QString status = "Alarm 1 Set For " + (refused ? "6:00:00 AM" : typed);
    QCOMPARE(f.dialogs.errors.size(), int(refused || chosen.isEmpty()));
    QCOMPARE(f.text("statuslbl"), status);
    QCOMPARE(f.table.slot(1).almStatus, status);
    QTEST(f.table.slot(1).almFile, "file");
    QCOMPARE(child(f.main, "browse")->isHidden(), action != PlaySound);
    // A sound is made ready two seconds ahead, once.
    const QString file = f.table.slot(1).almFile;
    const QStringList prepared{file.isEmpty() ? MediaPlayer::AlarmTone : file};
    QSignalSpy due(f.main.data(), &mainfrm::alarmDue);
    for (int secs : {-3, -2, -1, 0, 1})
        f.tickAt(dueAt.addSecs(secs));
    QCOMPARE(f.sound.prepared, action == PlaySound ? prepared : QStringList());
    QCOMPARE(due.count(), 1);
    QCOMPARE(f.table.firedAlm, qint16(1));
    QCOMPARE(f.text("today"), dueAt.addSecs(1).toString("HH:mm:ss"));
}

void tst_mainfrm::pickingAndDeactivatingSlots()
{
    Fixture f;
    const QString prompt = f.text("Combo1");
    QVERIFY(!prompt.isEmpty());
    f.main->db.FileName = File;
    f.arm("12", "05", "00", true);   // noon: its offset is 0, yet PM

    // Typing is checked as it goes: a 13th hour is refused and leaves the box empty.
    f.type("hourtb", "13");
    QCOMPARE(f.text("hourtb"), QString());
    QCOMPARE(f.dialogs.errors.size(), 1);
    f.type("hourtb", "9");
    f.pick("Combo2", 1);
    QCOMPARE(f.text("statuslbl"), QString("Alarm 2 Not Set"));
    QCOMPARE(f.text("hourtb") + f.text("min") + f.text("secs") + f.text("Text1"), "00");
    QCOMPARE(f.text("Combo1"), prompt);

    f.arm("7", "30", "00");
    f.click(f.main, "Command2");
    QCOMPARE(f.text("statuslbl"), QString("Alarm 2 Deactivated"));
    QSignalSpy due(f.main.data(), &mainfrm::alarmDue);
    f.tickAt(QTime(7, 30));
    QCOMPARE(due.count(), 0);

    f.pick("Combo2", 2);
    f.arm("7", "30", "00");
    f.pick("Combo2", 0);
    QCOMPARE(f.text("statuslbl"), QString("Alarm 1 Set For 12:05:00 PM"));
    QCOMPARE(f.text("hourtb") + ":" + f.text("min") + ":" + f.text("secs"), "12:5:0");
    QCOMPARE(f.text("Text1") + " " + f.text("Combo1"), File + " Play Sound");
    QVERIFY(child<QRadioButton>(f.main, "Option2")->isChecked());
    QCOMPARE(f.table.ampm, QString("PM"));
    f.pick("Combo2", 2);   // an AM slot after a PM one
    QVERIFY(child<QRadioButton>(f.main, "Option1")->isChecked());
}

void tst_mainfrm::browseKeepsFileOnCancel()
{
    Fixture f;
    f.dialogs.nextFile = File;
    f.click(f.main, "browse");
    QCOMPARE(f.text("Text1"), File);
    QCOMPARE(f.dialogs.fileFilters, QStringList({"MP3 File (*.mp3)", "Sound Files (*.wav)"}));

    f.dialogs.nextFile.reset();
    f.click(f.main, "browse");
    QCOMPARE(f.main->db.FileName, File);
    QCOMPARE(f.text("Text1"), File);
}

void tst_mainfrm::shortcutsWorkInTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("active");
    QTest::newRow("Ctrl+V in the hour box") << "hourtb" << "mnuVol"
                                            << QKeySequence(Qt::CTRL | Qt::Key_V) << true;
    QTest::newRow("F1 in the minute box") << "min" << "mnuHelpAbout" << QKeySequence(Qt::Key_F1)
                                          << true;
    QTest::newRow("Ctrl+M in the alarm list") << "Combo2" << "mnuMessage"
                                              << QKeySequence(Qt::CTRL | Qt::Key_M) << true;
    // No shortcut takes the keys: the box has them for itself.
    QTest::newRow("Ctrl+X, window inactive: cuts") << "Text1" << "mnuFileExit"
                                                   << QKeySequence(Qt::CTRL | Qt::Key_X) << false;
}

void tst_mainfrm::shortcutsWorkInTextBoxes()
{
    QFETCH(QString, box);
    QFETCH(QString, action);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, active);
    Fixture f;
    if (active) {
        f.main->show();
        QVERIFY(QTest::qWaitForWindowActive(f.main));
    }
    auto *edit = box == "Combo2" ? child<QComboBox>(f.main, "Combo2")->lineEdit()
                                 : child<QLineEdit>(f.main, box.toLatin1());
    edit->setText("12");
    edit->selectAll();
    edit->setFocus();
    QSignalSpy triggered(f.main->findChild<QAction *>(action), &QAction::triggered);
    QTest::keySequence(edit, keys);
    QCOMPARE(triggered.count(), int(active));
    QCOMPARE(edit->text(), QString(active ? "12" : ""));
    QCOMPARE(f.windows().size(), 1 + int(active));   // the menu's window opened
}

QTEST_MAIN(tst_mainfrm)
#include "tst_mainfrm.moc"
