#pragma once

#include "alarmtable.h"
#include "fakeclock.h"
#include "fakedialogs.h"
#include "fakelifecycle.h"
#include "faketrayicon.h"
#include "fakeurlopener.h"
#include "fakevolume.h"
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
    Services services{table, clock, dialogs, lifecycle, volume, urls, trayIcon};
};
