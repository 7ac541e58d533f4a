#pragma once

#include <QString>

#include <optional>

/// The longest snooze the snooze dialog takes: one day.
constexpr int MaxSnoozeMinutes = 1440;

/// Why a snooze text cannot be counted down, or nothing when it is a whole number of minutes
/// from 0 to MaxSnoozeMinutes (blanks around it allowed, as typed).
std::optional<QString> snoozeError(const QString &text);
