#include "snzfrm.h"

#include "activefrm.h"
#include "alarmtable.h"
#include "forms.h"
#include "formutil.h"
#include "mediaplayer.h"
#include "services.h"
#include "snoozeentry.h"
#include "userdialogs.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

snzfrm::snzfrm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
    , m_services(forms.services())
{
    setObjectName(QStringLiteral("snzfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A window of its own with a task-bar entry, sizable, without minimise or maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Set Snooze"));
    setWindowIcon(pictureIcon(QStringLiteral(":/pictures/clock16.png")));
    resize(twips(3945), twips(1830));
    createWidgets();
    createConnections();
}

void snzfrm::createWidgets()
{
    Label1 = twipsChild<QLabel>(this, "Label1", 240, 360, 1455, 375);
    Label1->setText(tr("Snooze For"));
    Label1->setFont(dialogFont(9.75, true));
    Text1 = twipsChild<QLineEdit>(this, "Text1", 1680, 240, 975, 495);
    Text1->setFont(dialogFont(12, true));
    Text1->setAccessibleName(tr("Snooze minutes"));
    Label2 = twipsChild<QLabel>(this, "Label2", 2760, 360, 975, 375);
    Label2->setText(tr("Minutes"));
    Label2->setFont(dialogFont(9.75, true));
    ok = twipsChild<QPushButton>(this, "ok", 480, 1200, 1335, 495);
    ok->setText(tr("OK"));
    Command2 = twipsChild<QPushButton>(this, "Command2", 2160, 1200, 1335, 495);
    Command2->setText(tr("Cancel"));

    QWidget::setTabOrder(Text1, ok);
    QWidget::setTabOrder(ok, Command2);
    Text1->setFocus();
}

void snzfrm::createConnections()
{
    connect(ok, &QPushButton::clicked, this, &snzfrm::ok_Click);
    connect(Command2, &QPushButton::clicked, this, &snzfrm::Command2_Click);
}

void snzfrm::Form_Load()
{
    centreOnScreen(this);
    ok->setDefault(true);
}

void snzfrm::ok_Click()
{
    if (const auto error = snoozeError(Text1->text())) {
        m_services.dialogs.showError(this, *error);
        Text1->selectAll();
        Text1->setFocus();
        return;
    }

    AlarmTable &table = m_services.table;
    table.snzMins = Text1->text();
    m_services.mp1.stop();
    // The alarm window may have been closed meanwhile: it then counts down unseen.
    activefrm *alarm = m_forms.activeForm();
    alarm->setCaption(tr("Snooze has been set for %1 minutes").arg(table.snzMins));
    alarm->startCountdown();
    close();
}

void snzfrm::Command2_Click()
{
    close();
}

void snzfrm::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit unloaded();
}

void snzfrm::keyPressEvent(QKeyEvent *event)
{
    // No button cancels this dialog: Escape does nothing.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
