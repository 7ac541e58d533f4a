#include "numtext.h"

#include <algorithm>
#include <cmath>

QString numStr(qint64 n)
{
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

QString numStr(double n)
{
    const QString digits = QString::number(n, 'g', 15);
    return n >= 0 ? QLatin1Char(' ') + digits : digits;
}

QString trimmedNum(qint64 n)
{
    return QString::number(n);
}

std::optional<double> toNumber(const QString &text, const QLocale &locale)
{
    QString s = text.trimmed();
    if (!std::any_of(s.cbegin(), s.cend(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    // People type ".5", "-.5" and "1." and expect them to read as numbers.
    const QString dot = locale.decimalPoint();
    if (s.startsWith(dot))
        s.prepend(QLatin1Char('0'));
    else if ((s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+')))
             && s.mid(1).startsWith(dot))
        s.insert(1, QLatin1Char('0'));
    if (s.endsWith(dot) && s.size() > dot.size())
        s.chop(dot.size());
    bool ok = false;
    const double value = locale.toDouble(s, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<qint16> toInt16(const QString &text, const QLocale &locale)
{
    const auto value = toNumber(text, locale);
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (rounded < -32768 || rounded > 32767)
        return std::nullopt;
    return qint16(rounded);
}
