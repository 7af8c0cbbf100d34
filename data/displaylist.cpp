#include "data/displaylist.h"

#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/lines.h"

#include <QFile>
#include <QTextStream>

namespace
{
// At most `maxBytes` of the folder's file, and whether it was there.
std::optional<QByteArray> readBounded(const DataFolder &folder, const QString &name,
                                      qint64 maxBytes)
{
    QFile file;
    if (folder.open(name, file))
        return std::nullopt;
    return file.read(maxBytes);
}

// Reads one line of at most maxCellChars characters; the rest of a longer
// line is passed over, so it never shows as a line of its own.
bool readBoundedLine(QTextStream &in, QString &line)
{
    if (!in.readLineInto(&line, DataFiles::maxCellChars))
        return false;
    QString rest;
    for (qsizetype piece = line.size(); piece == DataFiles::maxCellChars;) {
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
    const std::optional<QByteArray> bytes =
        readBounded(folder, DataFiles::displayList, DataFiles::displayListMaxBytes);
    if (!bytes)
        return list;
    list.opened = true;
    QTextStream in(*bytes);
    in.setCodec(folder.codec());
    QString line;
    while (list.rows.size() < DataFiles::displayListMaxLines && readBoundedLine(in, line)) {
        QStringView brand, generic;
        pickFields(line, {1, 2}, {&brand, &generic});
        list.rows.append({brand.toString(), generic.toString(), QDate()});
    }
    if (const std::optional<QByteArray> record =
            readBounded(folder, DataFiles::listRecord, DataFiles::listRecordMaxBytes))
        list.record = parseListRecord(*record, *bytes);
    if (list.record)
        for (auto it = list.record->transitionalUntil.constBegin();
             it != list.record->transitionalUntil.constEnd(); ++it)
            if (it.key() <= list.rows.size())
                list.rows[it.key() - 1].transitionalUntil = it.value();
    return list;
}
