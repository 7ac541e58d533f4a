#pragma once

#include <QLocale>
#include <QString>

#include <optional>

/// Number in message text: " 5" for zero or more, "-5" below zero.
QString numStr(qint64 n);
QString numStr(double n);

/// The same number without the leading blank: "5", "-5".
QString trimmedNum(qint64 n);

/// Locale-aware text to number: blanks around it, a sign, the locale's decimal separator and
/// an exponent are accepted. Empty, non-numeric and non-finite text gives nothing.
std::optional<double> toNumber(const QString &text, const QLocale &locale = QLocale());

/// Rounds to the nearest whole number, halves to the even neighbour (0.5 -> 0, 1.5 -> 2).
double roundHalfEven(double value);

/// toNumber() rounded half to even into a 16-bit integer; nothing when it does not fit.
std::optional<qint16> toInt16(const QString &text, const QLocale &locale = QLocale());
