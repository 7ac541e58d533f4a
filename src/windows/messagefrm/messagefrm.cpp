#include "messagefrm.h"

#include "alarmtable.h"
#include "forms.h"
#include "formutil.h"
#include "numtext.h"
#include "services.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

messagefrm::messagefrm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_services(forms.services())
{
    setObjectName(QStringLiteral("messagefrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window: narrow title bar with a close box only, no task-bar entry.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Set Message"));
    setFixedSize(twips(6180), twips(2895));
    createWidgets();
    createConnections();
}

void messagefrm::createWidgets()
{
    ok = twipsChild<QPushButton>(this, "ok", 1080, 2160, 1815, 615);
    ok->setText(tr("OK"));
    cancel = twipsChild<QPushButton>(this, "cancel", 3360, 2160, 1815, 615);
    cancel->setText(tr("Cancel"));

    Frame1 = twipsChild<QFrame>(this, "Frame1", 120, 120, 5895, 1935);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Label1 = twipsChild<QLabel>(Frame1, "Label1", 120, 960, 1335, 375);
    Label1->setText(tr("Message:"));
    Label1->setFont(dialogFont(9.75, true));
    Text1 = twipsChild<QLineEdit>(Frame1, "Text1", 1320, 480, 4095, 1215);
    Text1->setFont(dialogFont(9.75));
    Text1->setAccessibleName(tr("Message"));
    almlbl = twipsChild<QLabel>(Frame1, "almlbl", 2880, 240, 1095, 375);
    almlbl->setFont(dialogFont(9.75, true));

    QWidget::setTabOrder(ok, cancel);
    QWidget::setTabOrder(cancel, Text1);
    ok->setFocus();
}

void messagefrm::createConnections()
{
    connect(ok, &QPushButton::clicked, this, &messagefrm::ok_Click);
    connect(cancel, &QPushButton::clicked, this, &messagefrm::cancel_Click);
}

void messagefrm::Form_Load()
{
    centreOnScreen(this);
    ok->setDefault(true);
    setAlmLbl();
}

void messagefrm::setAlmLbl()
{
    const AlarmTable &table = m_services.table;
    almlbl->setText(QStringLiteral("ALARM") + numStr(qint64(table.curAlm)));
    Text1->setText(table.slot(table.curAlm).almMsg);
}

void messagefrm::ok_Click()
{
    // The slot current now, which may differ from the one shown when the dialog opened.
    AlarmTable &table = m_services.table;
    table.slot(table.curAlm).almMsg = Text1->text();
    close();
}

void messagefrm::cancel_Click()
{
    close();
}

void messagefrm::reject()
{
    cancel_Click();
}

void messagefrm::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit unloaded();
}
