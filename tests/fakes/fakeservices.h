#pragma once

#include "alarmtable.h"
#include "fakeclock.h"
#include "fakedialogs.h"
#include "fakelifecycle.h"
#include "fakeopener.h"
#include "fakepowercontrol.h"
#include "fakesleepcontrol.h"
#include "fakesoundplayer.h"
#include "faketrayicon.h"
#include "fakeurlopener.h"
#include "fakevolume.h"
#include "mediaplayer.h"
#include "services.h"

/// A fresh alarm table and a fake for every backend, bundled as the windows expect them.
struct FakeServices
{
    AlarmTable table;
    FakeClock clock;
    FakeDialogs dialogs;
    FakeLifecycle lifecycle;
    FakeVolume volume;
    FakeUrlOpener urls;
    FakeTrayIcon trayIcon;
    FakeSoundPlayer sound;
    MediaPlayer mp1{sound};
    FakeOpener opener;
    FakePowerControl power;
    FakeSleepControl sleep;
    Services services{table,  clock,   dialogs, lifecycle, volume, urls,
                      trayIcon, mp1, opener,  power,     sleep};
};
