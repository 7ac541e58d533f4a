#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

/// One second of the alarm window's countdown: whether the end step is due, the text to show
/// and the minutes and seconds left afterwards.
struct CountdownStep
{
    bool endStep = false;   // the minutes left were 0 when the tick began
    QString text;           // "Time Remaining:  4: 59"
    QString snzMins;        // minutes left, as text
    qint16 snzSecs = 0;     // seconds left in the current minute, 60 after a roll-over
};

/// The countdown tick for the minutes text and the seconds counter. A countdown of n whole
/// minutes from 60 seconds shows n-1 minutes and 59 down to 0 seconds, rolls over every 60
/// ticks and has its end step due at tick 60*n + 1. Nothing when the minutes do not read as a
/// number.
std::optional<CountdownStep> countdownTick(const QString &snzMins, qint16 snzSecs,
                                           const QLocale &locale = QLocale());
