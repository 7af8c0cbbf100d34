#include "data/displaylist.h"

#include "data/datafiles.h"
#include "data/lines.h"
#include "data/regularfile.h"

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

DisplayList readDisplayList(const QString &path)
{
    DisplayList list;
    QFile file(path);
    if (openRegularFile(file).problem != FileProblem::None)
        return list;
    list.opened = true;
    QTextStream in(&file);
    QString line;
    while (list.rows.size() < DataFiles::displayListMaxLines && readBoundedLine(in, file, line)) {
        QStringView brand, generic;
        pickFields(line, {1, 2}, {&brand, &generic});
        list.rows.append({brand.toString(), generic.toString()});
    }
    return list;
}
