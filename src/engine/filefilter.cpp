#include "filefilter.h"

QStringList nameFiltersFrom(const QString &filter)
{
    QStringList result;
    bool programs = false;
    bool everything = false;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description.truncate(paren);
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
            if (pattern.compare(QLatin1String("*.exe"), Qt::CaseInsensitive) == 0)
                programs = true;
            if (pattern == QLatin1String("*"))
                everything = true;
        }
        result.append(description.trimmed() + QLatin1String(" (")
                      + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    if (programs && !everything)
        result.append(QStringLiteral("All Files (*)"));
    return result;
}
