#pragma once

#include "powercontrol.h"
#include "services.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class aboutfrm;
class activefrm;
class mainfrm;
class messagefrm;
class missedfrm;
class snzfrm;
class volfrm;

/// The program's windows: one instance each, created and loaded on first use and destroyed
/// when unloaded. The program ends when no window is loaded any longer.
class Forms : public QObject
{
    Q_OBJECT
public:
    explicit Forms(Services &services, QObject *parent = nullptr);

    Services &services() const { return m_services; }

    /// The main window, created and loaded on first call; null once it was unloaded.
    mainfrm *mainForm();
    mainfrm *mainFormIfLoaded() const;

    /// The alarm window, created and loaded, but not shown, when it is not loaded.
    activefrm *activeForm();
    activefrm *activeFormIfLoaded() const;
    /// Unloads the alarm window if it is loaded; a countdown on it ends with it.
    void unloadActive();

    /// The snooze dialog, created and loaded, but not shown, when it is not loaded.
    snzfrm *snoozeForm();
    snzfrm *snoozeFormIfLoaded() const;

    /// The message dialog, created and loaded, but not shown, when it is not loaded.
    messagefrm *messageForm();
    messagefrm *messageFormIfLoaded() const;

    /// The missed alarms window, created and loaded, but not shown, when it is not loaded.
    missedfrm *missedForm();
    missedfrm *missedFormIfLoaded() const;

    /// How many windows are loaded, shown or not.
    int loadedCount() const { return m_loaded; }

    /// The volume dialog, created and loaded on first call.
    volfrm *volumeForm();
    volfrm *volumeFormIfLoaded() const;

    /// The about box, created and loaded on first call.
    aboutfrm *aboutForm();
    aboutfrm *aboutFormIfLoaded() const;

    /// Ends the program at once, without running any window's closing handlers; the
    /// notification-area icon is taken away first (ending()).
    void endProgram();

    /// Asks the system to shut down, or to restart, and hides the windows while it answers;
    /// the program ends once the system agrees. Refused or unanswered, the windows come back,
    /// the main window with an error box that says why, and the alarm window that asked goes.
    void powerDown(bool restart);

    /// Brings the program to the front, as a new start asks: the main window, or where it is
    /// gone, the windows a power request hid.
    void showProgram();

signals:
    /// The program is about to end at once.
    void ending();

private:
    void watch(QWidget *form);
    template<typename Form>
    Form *load(QPointer<Form> &form);
    void formDestroyed();
    void powerAnswered(PowerControl::Answer answer, const QString &reason);

    Services &m_services;
    QPointer<mainfrm> m_main;
    bool m_mainUnloaded = false;
    QPointer<volfrm> m_volume;
    QPointer<aboutfrm> m_about;
    QPointer<activefrm> m_active;
    QPointer<snzfrm> m_snooze;
    QPointer<messagefrm> m_message;
    QPointer<missedfrm> m_missed;
    int m_loaded = 0;
    QList<QPointer<QWidget>> m_hiddenForPower;
    bool m_restartAsked = false;
};
