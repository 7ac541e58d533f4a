#pragma once

#include "aboutfrm.h"
#include "activefrm.h"
#include "fakeservices.h"
#include "forms.h"
#include "mainfrm.h"
#include "messagefrm.h"
#include "missedfrm.h"
#include "snzfrm.h"
#include "volfrm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

/// A named child of a window; without it no test can go on.
template<typename T = QWidget>
T *child(const QObject *window, const char *name)
{
    auto *widget = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

/// The program's windows on fakes, the main window loaded as at start, and what a user does.
struct FakeDesk : FakeServices
{
    Forms forms{services};
    QPointer<mainfrm> main;

    explicit FakeDesk(bool trayHost = true)
    {
        trayIcon.available = trayHost;
        main = forms.mainForm();
    }
    ~FakeDesk()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // One at a time: a window may take others with it.
        while (!windows().isEmpty())
            delete windows().first();
    }
    /// Every window loaded now.
    QList<QWidget *> windows() const
    {
        QList<QWidget *> loaded = {forms.aboutFormIfLoaded(), forms.volumeFormIfLoaded(),
                                   forms.messageFormIfLoaded(), forms.snoozeFormIfLoaded(),
                                   forms.missedFormIfLoaded(),
                                   forms.activeFormIfLoaded(), forms.mainFormIfLoaded()};
        loaded.removeAll(nullptr);
        return loaded;
    }
    activefrm *alarm() const { return forms.activeFormIfLoaded(); }

    static void click(const QObject *window, const char *button)
    {
        child<QPushButton>(window, button)->click();
    }
    /// Selects what the box holds and types over it.
    static void type(const QObject *window, const char *box, const QString &keys)
    {
        auto *edit = child<QLineEdit>(window, box);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, keys);
    }
    /// Picks an entry of the main window's alarm list ("Combo2") or action list ("Combo1").
    void pick(const char *list, int index)
    {
        auto *combo = child<QComboBox>(main, list);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    /// Arms a slot straight in the table for 7:30:00 AM.
    void arm(int n, qint16 action, const QString &file, const QString &message = {})
    {
        table.slot(n) = AlarmSlot{7, 30, 0, 0, action, file, {}, message};
        table.scanOn = 1;
    }
    void tickAt(const QTime &t) { clock.set(t); main->Timer1_Timer(); }
    /// The clock reaches 7:30:00 AM.
    void fire() { tickAt(QTime(7, 29, 59)); tickAt(QTime(7, 30, 0)); }
    /// Seconds of the alarm window's countdown: windows closed meanwhile are gone.
    void countdown(int times = 1)
    {
        for (int i = 0; i < times && alarm(); ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            alarm()->Timer1_Timer();
        }
    }
};
