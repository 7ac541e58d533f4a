#include "snoozeentry.h"

#include <QCoreApplication>

#include <algorithm>

std::optional<QString> snoozeError(const QString &text)
{
    const QString digits = text.trimmed();
    // Only plain digits: a sign, a fraction or an exponent would never count down to exactly 0.
    // The value stops growing past the limit, so any number of digits (leading zeros too) reads.
    bool whole = !digits.isEmpty();
    int minutes = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            whole = false;
            break;
        }
        minutes = std::min(minutes * 10 + (c.unicode() - '0'), MaxSnoozeMinutes + 1);
    }
    if (whole && minutes <= MaxSnoozeMinutes)
        return std::nullopt;
    return QCoreApplication::translate("snzfrm",
                                       "Snooze must be a whole number of minutes from 0 to %1")
        .arg(MaxSnoozeMinutes);
}
