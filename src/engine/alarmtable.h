#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

/// One alarm slot: the time, action, file and message of "Alarm1" to "Alarm5".
struct AlarmSlot
{
    qint16 almHour = 0;     // 1..12 as typed; 0 means not set
    qint16 almMin = 0;
    qint16 almSec = 0;
    double almOffset = 0;   // hours added to almHour for the hour of the day: 0, +12 or -12
    qint16 almAction = 0;   // index into the action list, see AlarmAction
    QString almFile;        // sound, program or document; "None" for actions that need no file
    QString almStatus;      // status line text of the last Activate or Deactivate
    QString almMsg;         // text of the alarm window; empty means its default text

    bool isSet() const { return almHour != 0; }
};

/// Action codes, equal to the list index of the action list.
enum AlarmAction : qint16 {
    PlaySound = 0,
    RunProgram = 1,
    OpenFile = 2,
    DisplayMessage = 3,
    ShutdownWindows = 4,
    RebootComputer = 5,
};

/// The alarm table and the few scalars every window shares; lives for the whole run.
class AlarmTable
{
public:
    static constexpr int SlotCount = 5;
    static const QString NoFile;        // "None"
    static const QString SoundFilter;   // the file filter for sounds, also the start value

    /// Slot n, 1 to 5; any other number is a programming error and aborts.
    AlarmSlot &slot(int n);
    const AlarmSlot &slot(int n) const;

    qint16 curAlm = 1;
    QString ampm = QStringLiteral("AM");
    qint16 scanOn = 0;
    QString fileFilter = SoundFilter;
    qint16 firedAlm = 0;
    QString snzMins;
    qint16 snzSecs = 0;
    qint16 volLevel = 10;

private:
    std::array<AlarmSlot, SlotCount> m_slots;
};
