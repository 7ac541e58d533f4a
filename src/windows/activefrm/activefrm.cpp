#include "activefrm.h"

#include "alarmtable.h"
#include "countdown.h"
#include "forms.h"
#include "formutil.h"
#include "mediaplayer.h"
#include "services.h"
#include "snzfrm.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top,
              int width, int height, qreal points)
{
    auto *caption = twipsChild<QLabel>(parent, name, left, top, width, height);
    caption->setText(text);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setAutoFillBackground(true);
    caption->setFont(dialogFont(points, true));
    return caption;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, int left, int width)
{
    auto *push = twipsChild<QPushButton>(parent, name, left, 1440, width, 495);
    push->setText(text);
    return push;
}

} // namespace

activefrm::activefrm(Forms &forms, QWidget *parent)
    : QWidget(parent)
    , m_forms(forms)
    , m_services(forms.services())
{
    setObjectName(QStringLiteral("activefrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("ALARM!"));
    setWindowIcon(pictureIcon(QStringLiteral(":/pictures/clock16.png")));
    setFixedSize(twips(6120), twips(2100));
    createWidgets();
    createConnections();
}

void activefrm::createWidgets()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    Label1 = label(this, "Label1", tr("Alarm has been triggered! What would you like to do?"),
                   1320, 360, 4695, 855, 8.25);
    snzlbl = label(this, "snzlbl", tr("Time Remaining:"), 1320, 600, 3735, 495, 9.75);
    // The countdown lies in front of the lower part of the alarm text and hides it.
    snzlbl->raise();

    Image1 = twipsChild<QLabel>(this, "Image1", 600, 360, 480, 480);
    // The picture is animated; the window shows its first frame only.
    Image1->setPixmap(picture(QStringLiteral(":/pictures/clock.gif"), 32, this));

    snooze = button(this, "snooze", tr("Snoo&ze"), 840, 1335);
    shutoff = button(this, "shutoff", tr("&Close"), 2400, 1455);
    exit = button(this, "exit", tr("E&xit Program"), 4080, 1335);

    QWidget::setTabOrder(snooze, shutoff);
    QWidget::setTabOrder(shutoff, exit);
    snooze->setFocus();
}

void activefrm::createConnections()
{
    connect(Timer1, &QTimer::timeout, this, &activefrm::Timer1_Timer);
    connect(snooze, &QPushButton::clicked, this, &activefrm::snooze_Click);
    connect(shutoff, &QPushButton::clicked, this, &activefrm::shutoff_Click);
    connect(exit, &QPushButton::clicked, this, &activefrm::exit_Click);
}

void activefrm::Form_Load()
{
    centreOnScreen(this);
    snzlbl->hide();
    Timer1->stop();
    m_services.table.snzSecs = 60;
    setMessage();
}

void activefrm::setMessage()
{
    const AlarmTable &table = m_services.table;
    const int fired = table.firedAlm;
    const QString message = fired >= 1 && fired <= AlarmTable::SlotCount
                                ? table.slot(fired).almMsg
                                : QString();
    Label1->setText(message.isEmpty() ? tr("Alarm has been triggered!") : message);
}

void activefrm::setCaption(const QString &text)
{
    Label1->setText(text);
}

void activefrm::startCountdown()
{
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    snzlbl->show();
    Timer1->start();
    snooze->setEnabled(false);
}

void activefrm::disableSnooze()
{
    snooze->setEnabled(false);
}

void activefrm::enableClose()
{
    shutoff->setEnabled(true);
}

void activefrm::Timer1_Timer()
{
    AlarmTable &table = m_services.table;
    // The snooze dialog takes whole minutes only, so the minutes always read as a number.
    const auto step = countdownTick(table.snzMins, table.snzSecs);
    if (!step)
        return;
    if (step->endStep && endStep())
        return;
    table.snzMins = step->snzMins;
    table.snzSecs = step->snzSecs;
    snzlbl->setText(step->text);
}

bool activefrm::endStep()
{
    const AlarmTable &table = m_services.table;
    const int fired = table.firedAlm;
    if (fired < 1 || fired > AlarmTable::SlotCount)
        return false;
    // The action is read now: a slot changed during the countdown follows its new action.
    switch (table.slot(fired).almAction) {
    case PlaySound:
        Timer1->stop();
        m_services.mp1.play();
        if (m_forms.loadedCount() > 1) {
            close();
        } else {
            // Every other window is gone: closing this one would end the program and cut the
            // sound off, so the alarm shows afresh instead, where it can be stopped or snoozed.
            m_forms.unloadActive();
            m_forms.activeForm()->show();
        }
        return true;
    case ShutdownWindows:
    case RebootComputer:
        Timer1->stop();
        m_forms.powerDown(table.slot(fired).almAction == RebootComputer);
        return true;
    default:
        // The slot's action changed to one a countdown cannot end: an open window counts on
        // below zero, but an unseen one goes, so that it cannot keep the program running where
        // nobody can reach it.
        if (isVisible())
            return false;
        Timer1->stop();
        close();
        return true;
    }
}

void activefrm::snooze_Click()
{
    // Pressed again while the dialog is open, it only brings that dialog forward.
    bringForward(m_forms.snoozeForm());
}

void activefrm::shutoff_Click()
{
    m_services.mp1.stop();
    close();
}

void activefrm::exit_Click()
{
    // Nothing may come after the end, not even the last second of a countdown.
    Timer1->stop();
    m_forms.endProgram();
}

void activefrm::closeEvent(QCloseEvent *event)
{
    // Closing through the title bar leaves the sound playing; only Close stops it.
    Timer1->stop();
    event->accept();
    emit unloaded();
}
