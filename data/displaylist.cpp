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
        QStringView fields[2];
        pickFields(line, {1, 2}, fields);
        list.rows.append({fields[0].toString(), fields[1].toString()});
    }
    return list;
}
