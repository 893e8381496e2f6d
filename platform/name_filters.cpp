#include "name_filters.h"

namespace platform {

namespace {

// "*.BMP" -> "*.[bB][mM][pP]"; characters that are not letters stay as they are.
QString caseless(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QStringList expanded(const QString &patterns)
{
    QStringList out;
    for (const QString &pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString p = pattern.trimmed();
        out << caseless(p);
        if (p.compare(QLatin1String("*.jpg"), Qt::CaseInsensitive) == 0)
            out << caseless(QStringLiteral("*.jpeg"));
    }
    return out;
}

} // namespace

QStringList dialogNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + expanded(parts[i + 1]).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters;
}

} // namespace platform
