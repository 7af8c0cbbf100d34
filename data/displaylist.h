#pragma once

#include <QString>
#include <QVector>

class DataFolder;

// One line of the display list: what one table row shows.
struct DisplayRow {
    QString brand;   // field 1
    QString generic; // field 2; empty when the line has no comma
};

struct DisplayList {
    bool opened = false;
    QVector<DisplayRow> rows; // in file order, one per line read
};

// Reads at most 10000 lines of the folder's display list, in the folder's
// encoding (a byte-order mark selects UTF-8 or UTF-16), and only when it is
// a regular file: `opened` is false for anything else, as for a missing
// file. Fields after the second are ignored; every line counts, empty ones
// too. A line is cut at maxCellChars characters and reading stops after
// displayListMaxBytes, so no file can hold up the start.
DisplayList readDisplayList(const DataFolder &folder);
