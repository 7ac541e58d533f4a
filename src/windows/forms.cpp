#include "forms.h"

#include "aboutfrm.h"
#include "activefrm.h"
#include "formutil.h"
#include "lifecycle.h"
#include "mainfrm.h"
#include "messagefrm.h"
#include "missedfrm.h"
#include "snzfrm.h"
#include "userdialogs.h"
#include "volfrm.h"

#include <utility>

namespace {

QString powerFailureText(bool restart, PowerControl::Answer answer, const QString &reason)
{
    const QString what = restart ? Forms::tr("The computer could not be restarted.")
                                 : Forms::tr("The computer could not be shut down.");
    const QString why = answer == PowerControl::NoAnswer
                            ? Forms::tr("The system did not answer in time.")
                            : reason;
    return why.isEmpty() ? what : what + QStringLiteral("\n\n") + why;
}

} // namespace

Forms::Forms(Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    connect(&m_services.power, &PowerControl::answered, this, &Forms::powerAnswered);
}

mainfrm *Forms::mainForm()
{
    // The main window is the start-up window and is loaded once; after its unload it stays gone.
    if (!m_main && !m_mainUnloaded) {
        m_main = new mainfrm(*this);
        watch(m_main);
        connect(m_main, &QObject::destroyed, this, [this] {
            m_mainUnloaded = true;
            // Its report has no clock behind it any longer: it must not keep the program on.
            if (m_missed)
                m_missed->close();
        });
        m_main->Form_Load();
    }
    return m_main;
}

mainfrm *Forms::mainFormIfLoaded() const
{
    return m_main;
}

template<typename Form>
Form *Forms::load(QPointer<Form> &form)
{
    if (!form) {
        form = new Form(*this);
        watch(form);
        // An unloaded window may live on until the event loop deletes it; the next use must
        // create a fresh one.
        connect(form, &Form::unloaded, this, [&form, loaded = form.data()] {
            if (form == loaded)
                form = nullptr;
        });
        form->Form_Load();
    }
    return form;
}

activefrm *Forms::activeForm()
{
    return load(m_active);
}

activefrm *Forms::activeFormIfLoaded() const
{
    return m_active;
}

void Forms::unloadActive()
{
    if (m_active)
        m_active->close();
}

snzfrm *Forms::snoozeForm()
{
    return load(m_snooze);
}

snzfrm *Forms::snoozeFormIfLoaded() const
{
    return m_snooze;
}

messagefrm *Forms::messageForm()
{
    return load(m_message);
}

messagefrm *Forms::messageFormIfLoaded() const
{
    return m_message;
}

missedfrm *Forms::missedForm()
{
    return load(m_missed);
}

missedfrm *Forms::missedFormIfLoaded() const
{
    return m_missed;
}

volfrm *Forms::volumeForm()
{
    if (!m_volume) {
        m_volume = new volfrm(m_services);
        watch(m_volume);
        m_volume->Form_Load();
    }
    return m_volume;
}

aboutfrm *Forms::aboutForm()
{
    if (!m_about) {
        m_about = new aboutfrm(m_services);
        watch(m_about);
        m_about->Form_Load();
    }
    return m_about;
}

volfrm *Forms::volumeFormIfLoaded() const
{
    return m_volume;
}

aboutfrm *Forms::aboutFormIfLoaded() const
{
    return m_about;
}

void Forms::watch(QWidget *form)
{
    ++m_loaded;
    connect(form, &QObject::destroyed, this, &Forms::formDestroyed);
}

void Forms::formDestroyed()
{
    if (--m_loaded == 0)
        m_services.lifecycle.quit();
}

void Forms::endProgram()
{
    emit ending();
    m_services.lifecycle.quit();
}

void Forms::powerDown(bool restart)
{
    // Nothing stays on screen while the system goes down; the icon stays until it has agreed.
    for (QWidget *window : std::initializer_list<QWidget *>{m_main, m_active, m_snooze, m_message,
                                                            m_missed, m_volume, m_about}) {
        if (window && window->isVisible()) {
            window->hide();
            m_hiddenForPower << window;
        }
    }
    m_restartAsked = restart;
    if (restart)
        m_services.power.reboot();
    else
        m_services.power.powerOff();
}

void Forms::powerAnswered(PowerControl::Answer answer, const QString &reason)
{
    if (answer == PowerControl::Accepted) {
        endProgram();
        return;
    }
    // The computer stays on, and so does the program, with every slot still armed.
    const QPointer<activefrm> asked = m_active;
    for (const QPointer<QWidget> &window : std::exchange(m_hiddenForPower, {})) {
        if (window && window != asked)
            window->show();
    }
    if (m_main)
        m_main->restore_Click();
    m_services.dialogs.showError(m_main, powerFailureText(m_restartAsked, answer, reason));
    // Its countdown is over. Shown again meanwhile, the alarm window has a new alarm to show.
    if (asked && asked->isHidden())
        asked->close();
}

void Forms::showProgram()
{
    if (m_main) {
        m_main->showNormal();
        m_main->raise();
        m_main->activateWindow();
        return;
    }
    for (const QPointer<QWidget> &window : std::as_const(m_hiddenForPower)) {
        if (window)
            bringForward(window);
    }
}
