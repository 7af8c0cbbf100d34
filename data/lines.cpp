#include "data/lines.h"

QStringList splitLine(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString fieldAt(const QStringList &fields, int number)
{
    return number >= 1 && number <= fields.size() ? fields.at(number - 1) : QString();
}

QString lookupKey(const QString &code)
{
    QString key = code;
    key.chop(3);
    return key;
}
