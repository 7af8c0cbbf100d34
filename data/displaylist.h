#pragma once

#include <QString>
#include <QVector>

// One line of the display list: what one table row shows.
struct DisplayRow {
    QString brand;   // field 1
    QString generic; // field 2; empty when the line has no comma
};

struct DisplayList {
    bool opened = false;
    QVector<DisplayRow> rows; // in file order, one per line read
};

// Reads at most 10000 lines of the display list at `path`. Fields after the
// second are ignored; every line counts, empty ones too.
DisplayList readDisplayList(const QString &path);
