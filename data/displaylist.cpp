#include "data/displaylist.h"

#include "data/datafiles.h"
#include "data/lines.h"

#include <QFile>
#include <QTextStream>

DisplayList readDisplayList(const QString &path)
{
    DisplayList list;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return list;
    list.opened = true;
    QTextStream in(&file);
    QString line;
    while (list.rows.size() < DataFiles::displayListMaxLines && in.readLineInto(&line)) {
        QStringView brand, generic;
        pickFields(line, {1, 2}, {&brand, &generic});
        list.rows.append({brand.toString(), generic.toString()});
    }
    return list;
}
