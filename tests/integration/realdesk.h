#pragma once

#include "aboutfrm.h"
#include "activefrm.h"
#include "alarmtable.h"
#include "desktopopener.h"
#include "desktopurlopener.h"
#include "fakeclock.h"
#include "fakedialogs.h"
#include "fakelifecycle.h"
#include "fakesleepcontrol.h"
#include "fakevolume.h"
#include "forms.h"
#include "logindpowercontrol.h"
#include "mainfrm.h"
#include "mediaplayer.h"
#include "qttrayicon.h"
#include "services.h"
#include "snzfrm.h"
#include "soundmodule.h"
#include "soundplayer.h"

#include <QApplication>

#include <memory>

/// The real player, recording what it is asked to play.
class CountingPlayer final : public SoundPlayer
{
public:
    CountingPlayer() { connect(m_real.get(), &SoundPlayer::failed, this, &SoundPlayer::failed); }
    void play(const QString &path) override
    {
        played << path;
        m_real->play(path);
    }
    void stop() override { m_real->stop(); }

    QStringList played;

private:
    std::unique_ptr<SoundPlayer> m_real{wakemere_sound()};
};

/// The windows on the real backends; the clock and the boxes are fakes, and so is the end of
/// the program unless a real one is given.
struct RealDesk
{
    explicit RealDesk(Lifecycle *end = nullptr)
        : m_end(end ? *end : lifecycle)
    {
    }
    ~RealDesk()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete forms.aboutFormIfLoaded();
        delete forms.snoozeFormIfLoaded();
        delete forms.activeFormIfLoaded();
        delete main;
    }

    AlarmTable table;
    FakeClock clock;
    FakeDialogs dialogs;
    FakeLifecycle lifecycle;
    Lifecycle &m_end;
    FakeVolume volume;
    DesktopUrlOpener urls;
    QtTrayIcon trayIcon;
    CountingPlayer sound;
    MediaPlayer mp1{sound};
    DesktopOpener opener;
    LogindPowerControl power;
    FakeSleepControl sleep;
    Services services{table,    clock, dialogs, m_end, volume, urls,
                      trayIcon, mp1,   opener,  power, sleep};
    Forms forms{services};
    QPointer<mainfrm> main = forms.mainForm();

    /// Arms slot 1 for 7:30:00 AM and lets the clock reach it.
    void fire(qint16 action, const QString &file)
    {
        AlarmSlot &slot = table.slot(1);
        slot.almHour = 7;
        slot.almMin = 30;
        slot.almAction = action;
        slot.almFile = file;
        slot.almMsg = QStringLiteral("Wake up");
        table.scanOn = 1;
        clock.set(QTime(7, 29, 59));
        main->Timer1_Timer();
        clock.set(QTime(7, 30, 0));
        main->Timer1_Timer();
    }
    activefrm *alarm() const { return forms.activeFormIfLoaded(); }
    bool alarmShown() const { return alarm() && alarm()->isVisible(); }
    void tick(int times)
    {
        for (int i = 0; i < times && alarm(); ++i)
            alarm()->Timer1_Timer();
    }
};

/// The program's own "Open With" chooser, while it is shown.
inline QWidget *openWithDialog()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("OpenWithDialog") && window->isVisible())
            return window;
    }
    return nullptr;
}
