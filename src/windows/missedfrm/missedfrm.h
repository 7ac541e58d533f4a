#pragma once

#include "alarmdispatch.h"

#include <QDialog>

class Forms;
class QLabel;
class QPushButton;
class QTreeWidget;
struct Services;

/// One line of the missed alarms window: alarm, due date and time, action, message, why.
QStringList missedRow(const MissedAlarm &alarm, MissCause cause);

/// "Missed alarms": the alarms that fell due while the computer slept or the clock jumped
/// past them, too long ago to act, and why the computer could not be woken for them. Later
/// misses are added to the open window; a slot missed again replaces its line.
class missedfrm : public QDialog
{
    Q_OBJECT
public:
    explicit missedfrm(Forms &forms, QWidget *parent = nullptr);

    void Form_Load();
    /// Adds the alarms, shows the window and brings it forward.
    void addMissed(const QList<MissedAlarm> &alarms, MissCause cause);

    /// Escape closes, as OK does: a window only hidden would stay loaded.
    void reject() override;

signals:
    /// The window was unloaded; it is deleted soon after.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Services &m_services;
    QLabel *Label1 = nullptr;
    QTreeWidget *List1 = nullptr;
    QLabel *wakelbl = nullptr;
    QPushButton *ok = nullptr;
};
