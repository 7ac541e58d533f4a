#pragma once

#include "services.h"

#include <QObject>
#include <QPointer>

class QWidget;
class aboutfrm;
class mainfrm;
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
    mainfrm *mainFormIfLoaded() const { return m_main; }

    /// The volume dialog, created and loaded on first call.
    volfrm *volumeForm();
    volfrm *volumeFormIfLoaded() const;

    /// The about box, created and loaded on first call.
    aboutfrm *aboutForm();
    aboutfrm *aboutFormIfLoaded() const;

    /// Ends the program at once, without running any window's closing handlers; the
    /// notification-area icon is taken away first (ending()).
    void endProgram();

signals:
    /// The program is about to end at once.
    void ending();

private:
    void watch(QWidget *form);
    void formDestroyed();

    Services &m_services;
    QPointer<mainfrm> m_main;
    bool m_mainUnloaded = false;
    QPointer<volfrm> m_volume;
    QPointer<aboutfrm> m_about;
    int m_loaded = 0;
};
