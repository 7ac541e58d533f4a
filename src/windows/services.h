#pragma once

class AlarmTable;
class Clock;
class Lifecycle;
class MediaPlayer;
class Opener;
class PowerControl;
class SleepControl;
class TrayIcon;
class UrlOpener;
class UserDialogs;
class VolumeControl;

/// What every window reaches: the shared alarm table and the platform backends.
/// src/app passes the real ones, tests pass fakes.
struct Services
{
    AlarmTable &table;
    Clock &clock;
    UserDialogs &dialogs;
    Lifecycle &lifecycle;
    VolumeControl &volume;
    UrlOpener &urls;
    TrayIcon &trayIcon;
    MediaPlayer &mp1;       // the program's one media player, shared by every window
    Opener &opener;
    PowerControl &power;
    SleepControl &sleep;
};
