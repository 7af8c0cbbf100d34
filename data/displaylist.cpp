#include "data/displaylist.h"

#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/lines.h"

#include <QFile>
#include <QTextStream>

namespace
{
bool withinBytes(const QIODevice &device)
{
    return device.pos() <= DataFiles::displayListMaxBytes;
}

// Reads one line of at most maxCellChars characters; the rest of a longer
// line is passed over, so it never shows as a line of its own.
bool readBoundedLine(QTextStream &in, const QIODevice &device, QString &line)
{
    if (!withinBytes(device) || !in.readLineInto(&line, DataFiles::maxCellChars))
        return false;
    QString rest;
    for (qsizetype piece = line.size(); piece == DataFiles::maxCellChars && withinBytes(device);) {
        if (!in.readLineInto(&rest, DataFiles::maxCellChars))
            break;
        piece = rest.size();
    }
    return true;
}
} // namespace

DisplayList readDisplayList(const DataFolder &folder)
{
    DisplayList list;
    QFile file;
    if (folder.open(DataFiles::displayList, file))
        return list;
    list.opened = true;
    QTextStream in(&file);
    in.setCodec(folder.codec());
    QString line;
    while (list.rows.size() < DataFiles::displayListMaxLines && readBoundedLine(in, file, line)) {
        QStringView brand, generic;
        pickFields(line, {1, 2}, {&brand, &generic});
        list.rows.append({brand.toString(), generic.toString()});
    }
    return list;
}
