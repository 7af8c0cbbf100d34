#include "support/splitting.h"

#include "data/csvrecords.h"
#include "data/lines.h"

QStringList splitLine(const QString &line)
{
    QStringList fields;
    forEachField(line, [&fields](int, QStringView field) {
        fields.append(field.toString());
        return true;
    });
    return fields;
}

QString fieldAt(const QStringList &fields, int number)
{
    return number >= 1 && number <= fields.size() ? fields.at(number - 1) : QString();
}

QStringList splitRecord(QStringView record)
{
    QStringList cells;
    Csv::forEachCell(record, [&cells](int, QStringView raw) {
        cells.append(Csv::cellText(raw));
        return true;
    });
    return cells;
}
