#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

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
// The package is distrusted: parts are inflated piece by piece up to a
// bound, no DTD is accepted, nesting is bounded, a relationship may not
// point outside the package and a shared-string index must exist.
namespace Workbook
{
struct Sheet {
    QString name;
    QVector<QStringList> rows;
    // The reference of a value past the rows or columns kept ("XFD1048576"),
    // which makes the sheet too large to be a list; empty when none.
    QString beyondBounds;
};

enum class Problem {
    None,
    NotWorkbook, // not a zip package, or no workbook in it (an encrypted one is neither)
    Damaged,     // truncated, malformed or hostile
    TooLarge,    // a part inflates past its bound, or a cell is longer than a cell holds
};

struct Content {
    Problem problem = Problem::None;
    QString reason; // what is wrong, for the user
    QVector<Sheet> sheets;
};

// Rows kept per sheet and columns per row; a value beyond them sets
// Sheet::beyondBounds.
constexpr int maxRows = 30000;
constexpr int maxColumns = 256;
// The most one part of the package may inflate to, and the largest package
// read at all: a real sheet inflates to under 4 MB.
constexpr qint64 maxPartBytes = 32 * 1024 * 1024;
constexpr qint64 maxPackageBytes = 64 * 1024 * 1024;

// What reading may take in all, shared by the workbooks of one run so that
// no number of them can exhaust memory: the bytes their parts inflate to,
// and the cells their sheets keep (empty ones between values included). The
// four published workbooks take 9 MB and 200,000 cells.
struct Budget {
    qint64 inflatedBytes = 64 * 1024 * 1024;
    qint64 cells = 4 * 1024 * 1024;
};

// Reads every sheet of the workbook in `package`, an open file, within
// `budget`, which it lowers by what it took.
Content read(QIODevice &package, Budget &budget);
Content read(QIODevice &package);

// A row as a spreadsheet writes it to CSV: cells joined by commas, a cell
// that holds a comma, a quote or a line break quoted with its quotes
// doubled.
QString csvRecord(const QStringList &cells);

} // namespace Workbook
