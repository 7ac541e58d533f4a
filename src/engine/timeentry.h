#pragma once

#include <QLocale>
#include <QString>

#include <optional>

/// The three time boxes of the main window.
enum class TimeBox { Hour, Minute, Second };

/// The "Error" message of a box: "Hour must be in between 1 and 12" and so on.
QString rangeMessage(TimeBox box);

/// The check made while typing: the message when the text reads as a number above the box's
/// limit, nothing otherwise (empty, partial and non-numeric text is left alone).
std::optional<QString> typingError(TimeBox box, const QString &text,
                                   const QLocale &locale = QLocale());

/// A time as typed: hour 1 to 12, minute and second 0 to 59.
struct AlarmTime
{
    qint16 hour = 0;
    qint16 minute = 0;
    qint16 second = 0;
};

/// Reads all three boxes before anything is stored. Either the time, or the message of the
/// first box that is empty, not a number or out of range once rounded.
struct TimeCheck
{
    std::optional<AlarmTime> time;
    QString error;
};
TimeCheck checkAlarmTime(const QString &hourText, const QString &minText,
                         const QString &secText, const QLocale &locale = QLocale());

/// Hours to add to the typed hour: 0 for AM and 12 PM, +12 for PM, -12 for 12 AM.
double offsetFor(qint16 hour, bool amSelected);

/// Whether a stored slot was armed as a PM time.
bool armedAsPm(qint16 hour, double offset);

/// "Alarm 1 Set For 7:30:00 AM", built from the box texts as typed.
QString activateStatus(int slot, const QString &hourText, const QString &minText,
                       const QString &secText, const QString &ampm);
/// "Alarm 1 Deactivated".
QString deactivateStatus(int slot);
/// "Alarm 1 Not Set".
QString notSetStatus(int slot);
