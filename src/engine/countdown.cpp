#include "countdown.h"

#include "numtext.h"

std::optional<CountdownStep> countdownTick(const QString &snzMins, qint16 snzSecs,
                                           const QLocale &locale)
{
    const auto minutes = toNumber(snzMins, locale);
    if (!minutes)
        return std::nullopt;

    CountdownStep step;
    const double m = *minutes - 1;
    step.endStep = m == -1;
    step.snzMins = snzMins;
    step.snzSecs = qint16(snzSecs - 1);
    // Below ten seconds the digit keeps numStr's blank after a literal zero: " 4 :0 9".
    const QString separator = step.snzSecs >= 10 ? QStringLiteral(":") : QStringLiteral(" :0");
    step.text = QStringLiteral("Time Remaining: ") + numStr(m) + separator
                + numStr(qint64(step.snzSecs));
    if (step.snzSecs == 0) {
        step.snzMins = QString::number(m, 'g', 15);
        step.snzSecs = 60;
    }
    return step;
}
