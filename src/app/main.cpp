#include "alarmtable.h"
#include "appstyle.h"
#include "blinktimeout.h"
#include "desktopurlopener.h"
#include "forms.h"
#include "formutil.h"
#include "lazyopener.h"
#include "lazysoundplayer.h"
#include "lazyvolume.h"
#include "logindpowercontrol.h"
#include "mainfrm.h"
#include "mediaplayer.h"
#include "qtlifecycle.h"
#include "quitsignals.h"
#include "qttrayicon.h"
#include "qtuserdialogs.h"
#include "services.h"
#include "singleinstance.h"
#include "systemclock.h"
#include "systemdsleepcontrol.h"
#include "timinglog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    TimingLog::markStart();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wakemere"));
    // No display name: on X11 Qt would append it to every window title ("ALARM! — Wakemere").
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.wakemere.Wakemere"));
    QApplication::setWindowIcon(programIcon());
    QApplication::setStyle(new AppStyle);
    // The main window may hide in the notification area while every other window is closed;
    // the program ends when no window is loaded any longer, which Forms decides.
    QApplication::setQuitOnLastWindowClosed(false);
    BlinkTimeout blinkTimeout;

    SingleInstance instance(SingleInstance::defaultServerName());
    if (!instance.claim())
        return 0;

    AlarmTable table;
    SystemClock clock;
    QtUserDialogs dialogs;
    QtLifecycle lifecycle;
    LazyVolume volume;
    DesktopUrlOpener urls;
    QtTrayIcon trayIcon;
    LazySoundPlayer sound;
    MediaPlayer mp1(sound);
    LazyOpener opener;
    LogindPowerControl power;
    SystemdSleepControl sleep;
    Services services{table,    clock, dialogs, lifecycle, volume, urls,
                      trayIcon, mp1,   opener,  power,     sleep};

    Forms forms(services);
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::requested, &forms, &Forms::endProgram);
    TimingLog::installIfEnabled(forms);
    forms.mainForm()->show();
    QObject::connect(&instance, &SingleInstance::activationRequested, &forms,
                     &Forms::showProgram);
    const int status = app.exec();
    // A shutdown or restart still unanswered when the program ends (an Exit while logind asks
    // for a password) needs the program alive until logind has answered; nothing of it stays
    // on screen meanwhile.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::processEvents();
    // No wake-up request may outlive the program.
    sleep.finish();
    power.waitForAnswer();
    return status;
}
