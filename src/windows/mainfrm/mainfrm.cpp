#include "mainfrm.h"

#include "aboutfrm.h"
#include "activefrm.h"
#include "alarmtable.h"
#include "clock.h"
#include "forms.h"
#include "formutil.h"
#include "mediaplayer.h"
#include "messagefrm.h"
#include "missedfrm.h"
#include "numtext.h"
#include "services.h"
#include "tray.h"
#include "traypicture.h"
#include "userdialogs.h"
#include "volfrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// A tick lands this long after the second boundary, so the clock already reads the new second.
constexpr int TickLagMs = 5;
// The sound output is set up this long before a sound alarm: the first set-up takes a moment,
// and doing it at start-up would cost every run that never sounds an alarm.
constexpr int PrepareAheadSecs = 2;

const QString ProgramFilter = QStringLiteral("Programs(*.exe)|*.exe");
const QString AnyFileFilter = QStringLiteral("All Files(*.*)|*.*");

QLineEdit *timeBox(QWidget *parent, const char *name, const QString &accessibleName, int left)
{
    auto *box = twipsChild<QLineEdit>(parent, name, left, 480, 855, 615);
    box->setMaxLength(2);
    box->setAlignment(Qt::AlignCenter);
    box->setFont(dialogFont(18, true));
    box->setAccessibleName(accessibleName);
    return box;
}

QComboBox *combo(QWidget *parent, const char *name, const QString &prompt,
                 const QString &accessibleName)
{
    auto *list = twipsChild<QComboBox>(parent, name, 2760, 0, 2175, 360);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // Typed text is not a choice from the list: no completion may turn it into one.
    list->setCompleter(nullptr);
    list->setFont(dialogFont(9.75));
    list->setEditText(prompt);
    list->setAccessibleName(accessibleName);
    // On Linux a list is announced by its text; its name reaches a screen reader through the
    // text box, which also holds the focus.
    list->lineEdit()->setAccessibleName(accessibleName);
    return list;
}

bool isMenuShortcut(const QKeyEvent *key)
{
    const QKeySequence pressed(key->keyCombination());
    for (const auto &sequence : {QKeySequence(Qt::CTRL | Qt::Key_X),
                                 QKeySequence(Qt::CTRL | Qt::Key_M),
                                 QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::Key_F1)}) {
        if (pressed == sequence)
            return true;
    }
    return false;
}

} // namespace

mainfrm::mainfrm(Forms &forms, QWidget *parent)
    : QMainWindow(parent)
    , m_forms(forms)
    , m_services(forms.services())
    , m_dispatch(new AlarmDispatch(forms, this))
{
    connect(m_dispatch, &AlarmDispatch::alarmDue, this, &mainfrm::alarmDue);
    connect(m_dispatch, &AlarmDispatch::missed, this,
            [this](const QList<MissedAlarm> &alarms, MissCause cause) {
                m_forms.missedForm()->addMissed(alarms, cause);
            });
    setObjectName(QStringLiteral("mainfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Wakemere"));
    setWindowIcon(programIcon());
    createWidgets();
    createMenus();
    createConnections();
    resize(twips(8100), twips(4965) + menuBar()->sizeHint().height());
    scheduleTick();
}

void mainfrm::createWidgets()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setBackgroundRole(QPalette::Window);
    setCentralWidget(client);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);

    Frame3 = twipsFrame(client, "Frame3", 120, 4320, 7935, 615);
    today = twipsLabel(Frame3, "today", QString(), 1800, 120, 4575, 375);
    today->setAlignment(Qt::AlignCenter);
    today->setFont(dialogFont(13.5));

    activate = twipsChild<QPushButton>(client, "activate", 1560, 3600, 2055, 495);
    activate->setText(tr("&Activate Alarm"));
    activate->setFont(dialogFont(12));
    Command2 = twipsChild<QPushButton>(client, "Command2", 4440, 3600, 2175, 495);
    Command2->setText(tr("&Deactivate Alarm"));
    Command2->setFont(dialogFont(12));

    Frame2 = twipsFrame(client, "Frame2", 360, 2280, 7575, 1095);
    Combo1 = combo(Frame2, "Combo1", tr("CHOOSE OPTION"), tr("Action"));
    browse = twipsChild<QPushButton>(Frame2, "browse", 5520, 360, 1335, 495);
    browse->setText(tr("&BROWSE"));
    browse->setFont(dialogFont(9.75));
    Text1 = twipsChild<QLineEdit>(Frame2, "Text1", 1440, 360, 4095, 495);
    Text1->setFont(dialogFont(12));
    Text1->setAccessibleName(tr("File"));
    Image2 = twipsChild<QLabel>(Frame2, "Image2", 720, 360, 480, 480);
    Image2->setPixmap(picture(QStringLiteral(":/pictures/folder-search-32.png"), 32, this));

    Frame1 = twipsFrame(client, "Frame1", 360, 720, 7575, 1215);
    Frame1->setAutoFillBackground(true);
    QPalette grey = Frame1->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    Frame1->setPalette(grey);
    Combo2 = combo(Frame1, "Combo2", tr("CHOOSE ALARM"), tr("Alarm"));
    secs = timeBox(Frame1, "secs", tr("Second"), 4800);
    min = timeBox(Frame1, "min", tr("Minute"), 3120);
    Option2 = twipsChild<QRadioButton>(Frame1, "Option2", 5760, 840, 615, 255);
    Option2->setText(tr("PM"));
    Option2->setFont(dialogFont(9.75));
    Option1 = twipsChild<QRadioButton>(Frame1, "Option1", 5760, 480, 975, 375);
    Option1->setText(tr("AM"));
    Option1->setFont(dialogFont(9.75));
    hourtb = timeBox(Frame1, "hourtb", tr("Hour"), 1560);
    Image1 = twipsChild<QLabel>(Frame1, "Image1", 720, 480, 480, 480);
    Image1->setPixmap(picture(QStringLiteral(":/pictures/clock16.png"), 32, this));
    Label3 = twipsLabel(Frame1, "Label3", QStringLiteral(":"), 4200, 480, 375, 615);
    Label3->setFont(dialogFont(24, true));
    Label1 = twipsLabel(Frame1, "Label1", QStringLiteral(":"), 2640, 480, 495, 615);
    Label1->setFont(dialogFont(24, true));

    statuslbl = twipsLabel(client, "statuslbl", QString(), 1200, 0, 5895, 375);
    statuslbl->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    statuslbl->setFont(dialogFont(13.5));
    QPalette status = statuslbl->palette();
    status.setColor(QPalette::WindowText, QColor(0, 255, 0));
    status.setColor(QPalette::Window, palette().color(QPalette::WindowText));
    statuslbl->setPalette(status);

    // The labels overlap nothing but are drawn over the frames they sit in.
    for (QLabel *caption : {Label1, Label3})
        caption->raise();

    QWidget::setTabOrder(Combo2, hourtb);
    QWidget::setTabOrder(hourtb, min);
    QWidget::setTabOrder(min, secs);
    QWidget::setTabOrder(secs, Option1);
    QWidget::setTabOrder(Option1, Option2);
    QWidget::setTabOrder(Option2, Combo1);
    QWidget::setTabOrder(Combo1, browse);
    QWidget::setTabOrder(browse, Text1);
    QWidget::setTabOrder(Text1, activate);
    QWidget::setTabOrder(activate, Command2);

    // The menu shortcuts belong to the whole window, also while a text box has the focus.
    for (QLineEdit *edit : client->findChildren<QLineEdit *>())
        edit->installEventFilter(this);
    // An editable list hands the keys to its text box directly, past that box's filter.
    for (QComboBox *list : client->findChildren<QComboBox *>())
        list->installEventFilter(this);
}

void mainfrm::createMenus()
{
    mnuFile = menuBar()->addMenu(tr("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileExit = mnuFile->addAction(tr("Exit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));

    // The popup menu of the notification-area icon; never shown in the menu bar.
    mnu = new QMenu(tr("Popup Menu"), this);
    mnu->setObjectName(QStringLiteral("mnu"));
    restore = mnu->addAction(tr("Restore"));
    restore->setObjectName(QStringLiteral("restore"));
    exit = mnu->addAction(tr("Exit"));
    exit->setObjectName(QStringLiteral("exit"));

    mnuTools = menuBar()->addMenu(tr("Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuMessage = mnuTools->addAction(tr("Set &Message"));
    mnuMessage->setObjectName(QStringLiteral("mnuMessage"));
    mnuMessage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuTools->addSeparator()->setObjectName(QStringLiteral("mnusbar"));
    mnuVol = mnuTools->addAction(tr("Set Volume"));
    mnuVol->setObjectName(QStringLiteral("mnuVol"));
    mnuVol->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    mnuHelp = menuBar()->addMenu(tr("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = mnuHelp->addAction(tr("About"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    mnuHelpAbout->setShortcut(QKeySequence(Qt::Key_F1));
}

void mainfrm::createConnections()
{
    connect(Timer1, &QTimer::timeout, this, &mainfrm::Timer1_Timer);
    connect(Combo2, &QComboBox::activated, this, &mainfrm::Combo2_Click);
    connect(hourtb, &QLineEdit::textChanged, this, &mainfrm::hourtb_Change);
    connect(min, &QLineEdit::textChanged, this, &mainfrm::min_Change);
    connect(secs, &QLineEdit::textChanged, this, &mainfrm::secs_Change);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(activate, &QPushButton::clicked, this, &mainfrm::activate_Click);
    connect(Command2, &QPushButton::clicked, this, &mainfrm::Command2_Click);
    connect(Combo1, &QComboBox::activated, this, &mainfrm::Combo1_Click);
    connect(browse, &QPushButton::clicked, this, &mainfrm::browse_Click);
    connect(mnuFileExit, &QAction::triggered, this, &mainfrm::mnuFileExit_Click);
    connect(restore, &QAction::triggered, this, &mainfrm::restore_Click);
    connect(exit, &QAction::triggered, this, &mainfrm::exit_Click);
    connect(mnuMessage, &QAction::triggered, this, &mainfrm::mnuMessage_Click);
    connect(mnuVol, &QAction::triggered, this, &mainfrm::mnuVol_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &mainfrm::mnuHelpAbout_Click);
}

void mainfrm::Form_Load()
{
    AlarmTable &table = m_services.table;
    centreOnScreen(this);
    fillCombos();
    table.curAlm = 1;
    secs->setText(QStringLiteral("00"));
    table.volLevel = 10;
    table.scanOn = 0;
    table.fileFilter = AlarmTable::SoundFilter;
    Option1->setChecked(true);
    setStatusLbl(tr("Wakemere v2.0 - Pellory Inc"));
    Combo2->setFocus();
    addTrayIcon();
}

void mainfrm::addTrayIcon()
{
    m_tray = new Tray(m_services.trayIcon, mnu, this);
    connect(m_tray, &Tray::restoreRequested, this, &mainfrm::restore_Click);
    connect(m_tray, &Tray::missing, this, &mainfrm::trayMissing);
    // Ending the program at once runs no unload handling, yet the icon must go.
    connect(&m_forms, &Forms::ending, m_tray, &Tray::remove);
    m_tray->add(trayPicture(windowIcon()), tr("Wakemere v1.0"));
}

void mainfrm::fillCombos()
{
    Combo1->addItems(actionNames());
    Combo2->addItems({QStringLiteral("Alarm1"), QStringLiteral("Alarm2"),
                      QStringLiteral("Alarm3"), QStringLiteral("Alarm4"),
                      QStringLiteral("Alarm5")});
    // Filling a list selects its first entry; the prompts stay until the user chooses.
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(tr("CHOOSE OPTION"));
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(tr("CHOOSE ALARM"));
}

void mainfrm::setStatusLbl(const QString &text)
{
    statuslbl->setText(text);
}

void mainfrm::scheduleTick()
{
    const int msec = m_services.clock.now().time().msec();
    Timer1->start(1000 - msec + TickLagMs);
}

void mainfrm::Timer1_Timer()
{
    const QDateTime now = m_services.clock.now();
    today->setText(now.toString(QStringLiteral("HH:mm:ss")));
    scheduleTick();
    m_dispatch->examine();
    if (m_services.table.scanOn == 1)
        prepareSound(now);
}

void mainfrm::prepareSound(const QDateTime &now)
{
    const QTime ahead = now.time().addSecs(PrepareAheadSecs);
    for (const DueAlarm &alarm : dueAlarms(m_services.table, ahead)) {
        if (alarm.action == PlaySound) {
            m_services.mp1.prepare(m_services.table.slot(alarm.slot).almFile);
            return;
        }
    }
}

void mainfrm::Combo2_Click(int index)
{
    AlarmTable &table = m_services.table;
    table.curAlm = qint16(index + 1);
    AlarmSlot &slot = table.slot(table.curAlm);
    setStatusLbl(slot.almStatus.isEmpty() ? notSetStatus(table.curAlm) : slot.almStatus);

    if (slot.isSet()) {
        hourtb->setText(trimmedNum(slot.almHour));
        secs->setText(trimmedNum(slot.almSec));
        min->setText(trimmedNum(slot.almMin));
        Text1->setText(slot.almFile);
        Combo1->setEditText(Combo1->itemText(slot.almAction));
        if (armedAsPm(slot.almHour, slot.almOffset))
            Option2->setChecked(true);
        else
            Option1->setChecked(true);
    } else {
        secs->setText(QStringLiteral("00"));
        min->clear();
        hourtb->clear();
        Text1->clear();
        Combo1->setEditText(tr("CHOOSE OPTION"));
        table.fileFilter = AlarmTable::SoundFilter;
        slot.almAction = PlaySound;
    }
}

void mainfrm::timeBoxChanged(QLineEdit *box, TimeBox kind)
{
    if (const auto message = typingError(kind, box->text())) {
        m_services.dialogs.showError(this, *message);
        box->clear();
    }
}

void mainfrm::hourtb_Change()
{
    timeBoxChanged(hourtb, TimeBox::Hour);
}

void mainfrm::min_Change()
{
    timeBoxChanged(min, TimeBox::Minute);
}

void mainfrm::secs_Change()
{
    timeBoxChanged(secs, TimeBox::Second);
}

void mainfrm::Option1_Click()
{
    m_services.table.ampm = QStringLiteral("AM");
}

void mainfrm::Option2_Click()
{
    m_services.table.ampm = QStringLiteral("PM");
}

void mainfrm::activate_Click()
{
    // All three boxes are read and checked before anything is stored, so a refused
    // Activate leaves the slot exactly as it was.
    const TimeCheck check = checkAlarmTime(hourtb->text(), min->text(), secs->text());
    if (!check.time) {
        m_services.dialogs.showError(this, check.error);
        return;
    }

    AlarmTable &table = m_services.table;
    const int n = table.curAlm;
    AlarmSlot &slot = table.slot(n);
    slot.almHour = check.time->hour;
    slot.almMin = check.time->minute;
    slot.almSec = check.time->second;
    slot.almStatus = activateStatus(n, hourtb->text(), min->text(), secs->text(), table.ampm);
    slot.almOffset = offsetFor(slot.almHour, Option1->isChecked());
    setStatusLbl(slot.almStatus);
    if (slot.almFile != AlarmTable::NoFile)
        slot.almFile = db.FileName;
    if (slot.almFile.isEmpty())
        m_services.dialogs.showError(this, tr("A File Was Not Chosen"));
    table.scanOn = 1;
}

void mainfrm::Command2_Click()
{
    AlarmTable &table = m_services.table;
    AlarmSlot &slot = table.slot(table.curAlm);
    slot.almHour = 0;
    slot.almMin = 0;
    slot.almSec = 0;
    slot.almStatus = deactivateStatus(table.curAlm);
    setStatusLbl(slot.almStatus);
}

void mainfrm::Combo1_Click(int index)
{
    AlarmTable &table = m_services.table;
    AlarmSlot &slot = table.slot(table.curAlm);
    // Takes effect at once, also for an armed slot.
    slot.almAction = qint16(index);
    switch (slot.almAction) {
    case PlaySound:
    case RunProgram:
    case OpenFile:
        table.fileFilter = slot.almAction == PlaySound ? AlarmTable::SoundFilter
                           : slot.almAction == RunProgram ? ProgramFilter
                                                          : AnyFileFilter;
        if (slot.almFile == AlarmTable::NoFile)
            slot.almFile.clear();
        setFileControlsVisible(true);
        break;
    case DisplayMessage:
        showMessageForm();
        setFileControlsVisible(false);
        slot.almFile = AlarmTable::NoFile;
        break;
    case ShutdownWindows:
    case RebootComputer:
        slot.almMsg = slot.almAction == ShutdownWindows
                          ? tr("Computer Will Shutdown In 1 Minute!")
                          : tr("Computer Will Reboot In 1 Minute!");
        setFileControlsVisible(false);
        slot.almFile = AlarmTable::NoFile;
        break;
    default:
        break;
    }
    Text1->clear();
}

void mainfrm::setFileControlsVisible(bool visible)
{
    for (QWidget *control : {static_cast<QWidget *>(Text1), static_cast<QWidget *>(browse),
                             static_cast<QWidget *>(Image2)})
        control->setVisible(visible);
}

void mainfrm::showMessageForm()
{
    // Shown again while open, the dialog only comes forward: it is not filled anew.
    bringForward(m_forms.messageForm());
}

void mainfrm::browse_Click()
{
    db.DialogTitle = tr("Open Sound File");
    db.Filter = m_services.table.fileFilter;
    db.ShowOpen(this, m_services.dialogs);
    Text1->setText(db.FileName);
}

void mainfrm::mnuFileExit_Click()
{
    exit_Click();
}

void mainfrm::restore_Click()
{
    // The state goes first: a window shown while still minimised would come back as an icon.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void mainfrm::exit_Click()
{
    // A modal box of this window runs its event loop on the stack of whoever opened it, and
    // belongs to them: closing the window now would delete it under them. The box closes as if
    // cancelled, and the exit comes once it is gone.
    bool boxOpen = false;
    for (QDialog *box : findChildren<QDialog *>(Qt::FindDirectChildrenOnly)) {
        if (!box->testAttribute(Qt::WA_ShowModal))
            continue;
        boxOpen = true;
        connect(box, &QObject::destroyed, this, &mainfrm::exit_Click, Qt::QueuedConnection);
        box->reject();
    }
    if (boxOpen)
        return;
    Form_Unload();
    close();
}

void mainfrm::mnuMessage_Click()
{
    showMessageForm();
}

void mainfrm::mnuVol_Click()
{
    bringForward(m_forms.volumeForm());
}

void mainfrm::mnuHelpAbout_Click()
{
    bringForward(m_forms.aboutForm());
}

void mainfrm::Form_Unload()
{
    if (m_tray)
        m_tray->remove();
}

void mainfrm::Form_Resize()
{
    // Hidden only where the icon can bring it back; without a tray the window stays on the
    // task bar. Hidden after the state change is through, and only if it still holds.
    if (!isMinimized() || !m_tray || !m_tray->isShown())
        return;
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && m_tray->isShown())
            hide();
    });
}

void mainfrm::trayMissing()
{
    // A window hidden in a tray that went away goes back to the task bar, still minimised.
    if (isHidden() && isMinimized())
        showMinimized();
}

void mainfrm::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void mainfrm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

bool mainfrm::eventFilter(QObject *watched, QEvent *event)
{
    // A text box claims Ctrl+X and Ctrl+V for cut and paste; let the menu have them.
    if (event->type() == QEvent::ShortcutOverride
        && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
