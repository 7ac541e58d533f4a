#include "missedfrm.h"

#include "forms.h"
#include "formutil.h"
#include "services.h"
#include "sleepcontrol.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QStringList missedRow(const MissedAlarm &alarm, MissCause cause)
{
    return {QStringLiteral("Alarm%1").arg(alarm.slot),
            alarm.due.date.toString(QStringLiteral("ddd d MMM yyyy")) + QLatin1Char(' ')
                + alarm.due.time.toString(QStringLiteral("h:mm:ss AP")),
            actionNames().value(alarm.action),
            alarm.message,
            cause == MissCause::Asleep ? missedfrm::tr("the computer was asleep")
                                       : missedfrm::tr("the clock was set forward")};
}

missedfrm::missedfrm(Forms &forms, QWidget *parent)
    : QDialog(parent)
    , m_services(forms.services())
{
    setObjectName(QStringLiteral("missedfrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Missed alarms"));

    Label1 = new QLabel(tr("These alarms fell due while Wakemere could not act on them. They "
                           "were not carried out late."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    List1 = new QTreeWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(tr("Missed alarms"));
    List1->setRootIsDecorated(false);
    List1->setHeaderLabels({tr("Alarm"), tr("Due"), tr("Action"), tr("Message"), tr("Why")});
    List1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    wakelbl = new QLabel(this);
    wakelbl->setObjectName(QStringLiteral("wakelbl"));
    wakelbl->setWordWrap(true);
    wakelbl->hide();
    ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &missedfrm::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(List1, 1);
    layout->addWidget(wakelbl);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(640, 300);
}

void missedfrm::Form_Load()
{
    centreOnScreen(this);
}

void missedfrm::addMissed(const QList<MissedAlarm> &alarms, MissCause cause)
{
    for (const MissedAlarm &alarm : alarms) {
        const QStringList row = missedRow(alarm, cause);
        QList<QTreeWidgetItem *> same = List1->findItems(row.first(), Qt::MatchExactly, 0);
        QTreeWidgetItem *item = same.isEmpty() ? new QTreeWidgetItem(List1) : same.first();
        for (int column = 0; column < row.size(); ++column)
            item->setText(column, row[column]);
    }
    List1->sortItems(0, Qt::AscendingOrder);
    const QString problem = m_services.sleep.wakeProblem();
    wakelbl->setText(tr("The computer could not be woken for them: %1").arg(problem));
    wakelbl->setVisible(!problem.isEmpty());
    bringForward(this);
}

void missedfrm::reject()
{
    close();
}

void missedfrm::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit unloaded();
}
