#pragma once

class AlarmTable;
class Clock;
class Lifecycle;
class TrayIcon;
class UserDialogs;

/// What every window reaches: the shared alarm table and the platform backends.
/// src/app passes the real ones, tests pass fakes.
struct Services
{
    AlarmTable &table;
    Clock &clock;
    UserDialogs &dialogs;
    Lifecycle &lifecycle;
    TrayIcon &trayIcon;
};
