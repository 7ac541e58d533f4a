#include "timeentry.h"

#include "numtext.h"

#include <QCoreApplication>

namespace {

struct BoxRange
{
    int low;
    int high;
};

BoxRange rangeOf(TimeBox box)
{
    return box == TimeBox::Hour ? BoxRange{1, 12} : BoxRange{0, 59};
}

} // namespace

QString rangeMessage(TimeBox box)
{
    switch (box) {
    case TimeBox::Hour:
        return QCoreApplication::translate("mainfrm", "Hour must be in between 1 and 12");
    case TimeBox::Minute:
        return QCoreApplication::translate("mainfrm", "Minute must be in between 00 and 59");
    case TimeBox::Second:
        break;
    }
    return QCoreApplication::translate("mainfrm", "Seconds cannot be more than 59");
}

std::optional<QString> typingError(TimeBox box, const QString &text, const QLocale &locale)
{
    const auto value = toNumber(text, locale);
    if (value && *value > rangeOf(box).high)
        return rangeMessage(box);
    return std::nullopt;
}

TimeCheck checkAlarmTime(const QString &hourText, const QString &minText,
                         const QString &secText, const QLocale &locale)
{
    const struct
    {
        TimeBox box;
        const QString &text;
    } boxes[] = {{TimeBox::Hour, hourText}, {TimeBox::Minute, minText},
                 {TimeBox::Second, secText}};

    qint16 values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto value = toInt16(boxes[i].text, locale);
        const BoxRange range = rangeOf(boxes[i].box);
        if (!value || *value < range.low || *value > range.high)
            return {std::nullopt, rangeMessage(boxes[i].box)};
        values[i] = *value;
    }
    return {AlarmTime{values[0], values[1], values[2]}, QString()};
}

double offsetFor(qint16 hour, bool amSelected)
{
    const double offset = amSelected ? 0 : 12;
    if (hour == 12)
        return offset == 0 ? -12 : 0;
    return offset;
}

bool armedAsPm(qint16 hour, double offset)
{
    return offset == 12 || (hour == 12 && offset == 0);
}

QString activateStatus(int slot, const QString &hourText, const QString &minText,
                       const QString &secText, const QString &ampm)
{
    return QLatin1String("Alarm") + numStr(qint64(slot)) + QLatin1String(" Set For") + ' '
           + hourText + ':' + minText + ':' + secText + ' ' + ampm;
}

QString deactivateStatus(int slot)
{
    return QLatin1String("Alarm") + numStr(qint64(slot)) + QLatin1String(" Deactivated");
}

QString notSetStatus(int slot)
{
    return QLatin1String("Alarm") + numStr(qint64(slot)) + QLatin1String(" Not Set");
}
