#pragma once

#include <QWidget>

class Forms;
class QLabel;
class QPushButton;
class QTimer;
struct Services;

/// The alarm window "ALARM!": shows the alarm's text, offers Snooze, Close and Exit Program,
/// and hosts the countdown of a snooze or of a shutdown or restart.
class activefrm : public QWidget
{
    Q_OBJECT
public:
    explicit activefrm(Forms &forms, QWidget *parent = nullptr);

    /// Runs once right after creation: centres the window, hides and stops the countdown.
    void Form_Load();
    /// Shows the message of the alarm that fell due last, or the default text.
    void setMessage();

    /// Replaces the alarm text.
    void setCaption(const QString &text);
    /// Starts the countdown shown under the alarm text; Snooze is off while it runs.
    void startCountdown();
    /// Greys out Snooze, for alarms that cannot be snoozed.
    void disableSnooze();
    /// Makes Close usable.
    void enableClose();

public slots:
    void Timer1_Timer();
    void snooze_Click();
    void shutoff_Click();
    void exit_Click();

signals:
    /// The window was unloaded; it is deleted soon after.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createWidgets();
    void createConnections();
    bool endStep();

    Forms &m_forms;
    Services &m_services;

    QTimer *Timer1 = nullptr;
    QPushButton *exit = nullptr;
    QPushButton *shutoff = nullptr;
    QPushButton *snooze = nullptr;
    QLabel *snzlbl = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
};
