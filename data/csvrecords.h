#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The master's sheets as a spreadsheet saves them as CSV. A cell that
// begins with a double quote runs to the next lone double quote ("" inside
// stands for one) and may hold commas and line breaks; the quotes are not
// part of the cell, and text after the closing quote is appended as it
// stands. A quote anywhere else, or one that opens a cell but is never
// closed in the rest of the text, is an ordinary character. Records end at
// LF or CRLF outside quotes. Cells are numbered from 1.

namespace Csv
{
// Start of the last run of consecutive quotes of odd length in `text`, or
// -1. A quote that opens a cell is closed exactly when such a run follows
// it, which is what keeps an unclosed quote from scanning to the end of
// the text again for every later cell.
qsizetype lastOddQuoteRun(QStringView text);

// End of the cell that starts at `pos`: the index of the comma or line feed
// that ends it, or text.size().
qsizetype cellEnd(QStringView text, qsizetype pos, qsizetype lastOddRun);

struct Records {
    QStringList records;       // each without its line end
    bool overlongCell = false; // reading stopped at a cell longer than allowed
};

// The first `maxRecords` records of `text`; reading stops at a cell of more
// than `maxCellChars` characters, which no spreadsheet cell holds.
Records readRecords(QStringView text, int maxRecords, qsizetype maxCellChars);

// Calls visit(number, raw) for each cell of one record, numbered from 1,
// until visit returns false; `raw` is the cell as written, quotes included.
template <typename Visit> void forEachCell(QStringView record, Visit visit)
{
    const qsizetype lastOddRun = lastOddQuoteRun(record);
    qsizetype pos = 0;
    for (int number = 1;; ++number) {
        const qsizetype end = cellEnd(record, pos, lastOddRun);
        if (!visit(number, record.mid(pos, end - pos)) || end == record.size())
            return;
        pos = end + 1;
    }
}

// The text a raw cell stands for: its quotes removed and "" made one.
QString cellText(QStringView raw);

// The same text as a view: into `raw` itself when the cell is not quoted,
// else into `storage`, which then holds the unquoted text.
QStringView cellView(QStringView raw, QString &storage);

int cellCount(QStringView record);

// A record as a spreadsheet writes it: cells joined by commas, a cell that
// holds a comma, a quote or a line break quoted with its quotes doubled.
// cellText of each of its cells gives the cell back.
QString record(const QStringList &cells);
} // namespace Csv
