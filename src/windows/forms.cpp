#include "forms.h"

#include "aboutfrm.h"
#include "lifecycle.h"
#include "mainfrm.h"
#include "volfrm.h"

Forms::Forms(Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
}

mainfrm *Forms::mainForm()
{
    // The main window is the start-up window and is loaded once; after its unload it stays gone.
    if (!m_main && !m_mainUnloaded) {
        m_main = new mainfrm(*this);
        watch(m_main);
        connect(m_main, &QObject::destroyed, this, [this] { m_mainUnloaded = true; });
        m_main->Form_Load();
    }
    return m_main;
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
