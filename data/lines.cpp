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

QStringView lookupKey(QStringView code)
{
    return code.size() > 3 ? code.chopped(3) : QStringView();
}

QString lookupKey(const QString &code)
{
    return lookupKey(QStringView(code)).toString();
}
