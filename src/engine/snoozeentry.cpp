#include "snoozeentry.h"

#include <QCoreApplication>

#include <algorithm>

std::optional<QString> snoozeError(const QString &text)
{
    const QString digits = text.trimmed();
    // Only plain digits: a sign, a fraction or an exponent would never count down to exactly 0.
    const bool whole = !digits.isEmpty() && digits.size() <= 5
                       && std::all_of(digits.cbegin(), digits.cend(), [](QChar c) {
                              return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                          });
    if (whole && digits.toInt() <= MaxSnoozeMinutes)
        return std::nullopt;
    return QCoreApplication::translate("snzfrm",
                                       "Snooze must be a whole number of minutes from 0 to %1")
        .arg(MaxSnoozeMinutes);
}
