#include "numtext.h"

#include <algorithm>
#include <cmath>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

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
    // People type ".5", "-.5" and "1." and expect them to read as numbers. Checked by hand: a
    // regular expression here costs the start-up the pattern compiler.
    const QString dot = locale.decimalPoint();
    const qsizetype sign = s.startsWith(QLatin1Char('+')) || s.startsWith(QLatin1Char('-'));
    const qsizetype afterDot = sign + dot.size();
    if (QStringView(s).mid(sign).startsWith(dot) && s.size() > afterDot
        && isAsciiDigit(s.at(afterDot)))
        s.insert(sign, QLatin1Char('0'));
    else if (s.endsWith(dot) && s.size() > afterDot
             && std::all_of(s.cbegin() + sign, s.cend() - dot.size(), isAsciiDigit))
        s.chop(dot.size());

    // Grouping is refused: "1.5" must not read as 15 where the point groups thousands.
    QLocale strict = locale;
    strict.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = strict.toDouble(s, &ok);
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
