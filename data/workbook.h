#pragma once

#include "data/datafiles.h"
#include "data/problem.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class QIODevice;

// Office Open XML workbooks (.xlsx), as the lists are published. Each sheet
// reads as the rows a spreadsheet's CSV export of it holds: rows by their
// number up to the last row with a value (a missing row is an empty row),
// cells by their reference (a missing cell is empty; a row or cell without
// a reference counts on from the one before), every row as wide as the
// widest. Shared strings have their rich-text runs joined and their
// phonetic runs (the kana reading) left out; numbers read as the shortest
// text that reads back as the same value, booleans as TRUE and FALSE,
// formula cells as their cached value.
//
// The package is distrusted (see package.h), and a shared-string index
// must exist.
namespace Workbook
{
struct Sheet {
    QString name;
    QVector<QStringList> rows;
    // The reference of a value past the rows or columns kept ("XFD1048576"),
    // which makes the sheet too large to be a list; empty when none.
    QString beyondBounds;
};

struct Content {
    std::optional<Problem> problem; // its file left for the caller to name
    QVector<Sheet> sheets;
};

// Rows kept per sheet and columns per row; a value beyond them sets
// Sheet::beyondBounds.
constexpr int maxRows = 30000;
constexpr int maxColumns = 256;
// The most one part of the package may inflate to, and the largest package
// read at all: a real sheet inflates to under 4 MB, a real package is
// under 1 MB.
constexpr qint64 maxPartBytes = 32 * DataFiles::mebibyte;
constexpr qint64 maxPackageBytes = 64 * DataFiles::mebibyte;

// What reading may take in all, shared by the workbooks of one run so that
// no number of them can exhaust memory: the bytes their parts inflate to,
// and the cells their sheets keep (empty ones between values included). The
// four published workbooks take 9 MB and 200,000 cells.
struct Budget {
    qint64 inflatedBytes = 64 * DataFiles::mebibyte;
    qint64 cells = 4 * 1024 * 1024;
};

// Reads every sheet of the workbook in `package`, an open file, within
// `budget`, which it lowers by what it took.
Content read(QIODevice &package, Budget &budget);
Content read(QIODevice &package);
} // namespace Workbook
