#pragma once

#include "alarmdispatch.h"
#include "commondialog.h"
#include "timeentry.h"

#include <QMainWindow>

class Forms;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class Tray;
struct Services;

/// The start-up window: picks, times, arms and disarms the five alarm slots, and owns the
/// one-second clock that finds them due.
class mainfrm : public QMainWindow
{
    Q_OBJECT
public:
    explicit mainfrm(Forms &forms, QWidget *parent = nullptr);

    /// Runs once right after creation: centres the window, fills the lists, sets the defaults.
    void Form_Load();

    CommonDialog db;

    /// What the clock does with the alarms; also used after the computer wakes.
    AlarmDispatch &dispatch() { return *m_dispatch; }

public slots:
    void Timer1_Timer();
    void Combo2_Click(int index);
    void hourtb_Change();
    void min_Change();
    void secs_Change();
    void Option1_Click();
    void Option2_Click();
    void activate_Click();
    void Command2_Click();
    void Combo1_Click(int index);
    void browse_Click();
    void mnuFileExit_Click();
    void restore_Click();
    void exit_Click();
    void mnuMessage_Click();
    void mnuVol_Click();
    void mnuHelpAbout_Click();

signals:
    /// A slot fell due; the clock has set firedAlm already (forwarded from dispatch()).
    void alarmDue(int slot, int action);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWidgets();
    void createMenus();
    void createConnections();
    void fillCombos();
    void setStatusLbl(const QString &text);
    void timeBoxChanged(QLineEdit *box, TimeBox kind);
    void showMessageForm();
    void setFileControlsVisible(bool visible);
    void scheduleTick();
    void prepareSound(const QDateTime &now);
    void Form_Unload();
    void Form_Resize();
    void addTrayIcon();
    void trayMissing();

    Forms &m_forms;
    Services &m_services;
    AlarmDispatch *m_dispatch = nullptr;
    Tray *m_tray = nullptr;

    QTimer *Timer1 = nullptr;
    QFrame *Frame3 = nullptr;
    QLabel *today = nullptr;
    QPushButton *activate = nullptr;
    QPushButton *Command2 = nullptr;
    QFrame *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *browse = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Image2 = nullptr;
    QFrame *Frame1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QLineEdit *secs = nullptr;
    QLineEdit *min = nullptr;
    QRadioButton *Option2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QLineEdit *hourtb = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *statuslbl = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnu = nullptr;
    QAction *restore = nullptr;
    QAction *exit = nullptr;
    QMenu *mnuTools = nullptr;
    QAction *mnuMessage = nullptr;
    QAction *mnuVol = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;
};
