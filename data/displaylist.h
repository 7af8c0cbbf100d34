#pragma once

#include "data/listrecord.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

class DataFolder;

// One line of the display list: what one table row shows.
struct DisplayRow {
    QString brand;   // field 1
    QString generic; // field 2; empty when the line has no comma
    // The last day the brand may be prescribed (経過措置), from the list's
    // record; invalid when it has none.
    QDate transitionalUntil;
};

struct DisplayList {
    bool opened = false;
    QVector<DisplayRow> rows; // in file order, one per line read
    // The record of the run that made the list; none for a list made by
    // hand, by an older version, or whose record is damaged.
    std::optional<ListRecord> record;
};

// Reads at most 10000 lines of the folder's display list, in the folder's
// encoding (a byte-order mark selects UTF-8 or UTF-16), and only when it is
// a regular file: `opened` is false for anything else, as for a missing
// file. Fields after the second are ignored; every line counts, empty ones
// too. A line is cut at maxCellChars characters and no more than
// displayListMaxBytes are read, so no file can hold up the start. The
// record beside it is read too.
DisplayList readDisplayList(const DataFolder &folder);
