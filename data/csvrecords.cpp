#include "data/csvrecords.h"

namespace Csv
{
namespace
{
constexpr QChar quote = QLatin1Char('"');

qsizetype quoteRunEnd(QStringView text, qsizetype pos)
{
    while (pos < text.size() && text.at(pos) == quote)
        ++pos;
    return pos;
}

// The closing quote of the cell opened at `open`, or -1 when it is never
// closed.
qsizetype closingQuote(QStringView text, qsizetype open, qsizetype lastOddRun)
{
    const qsizetype firstRunEnd = quoteRunEnd(text, open + 1);
    if ((firstRunEnd - open - 1) % 2 == 0 && lastOddRun < firstRunEnd)
        return -1;
    // Quotes come in runs; pairs inside a run stand for quotes, and the run
    // of odd length holds the closing one as its last.
    qsizetype pos = open + 1;
    for (;;) {
        pos = text.indexOf(quote, pos);
        const qsizetype runEnd = quoteRunEnd(text, pos);
        if ((runEnd - pos) % 2 == 1)
            return runEnd - 1;
        pos = runEnd;
    }
}

// Whether the text of a raw cell is longer than `maxChars`; the raw cell
// may also hold its quotes and the CR of a CRLF line end.
bool isOverlong(QStringView raw, qsizetype maxChars)
{
    if (raw.size() <= maxChars)
        return false;
    // Quotes at most halve a cell's raw length.
    if (raw.size() > 2 * maxChars + 3)
        return true;
    if (raw.endsWith(QLatin1Char('\r')))
        raw.chop(1);
    return raw.size() > maxChars && cellText(raw).size() > maxChars;
}

qsizetype plainCellEnd(QStringView text, qsizetype pos)
{
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (c == QLatin1Char(',') || c == QLatin1Char('\n'))
            return pos;
    }
    return pos;
}
} // namespace

qsizetype lastOddQuoteRun(QStringView text)
{
    qsizetype last = -1;
    for (qsizetype pos = text.indexOf(quote); pos >= 0 && pos < text.size();) {
        const qsizetype runEnd = quoteRunEnd(text, pos);
        if ((runEnd - pos) % 2 == 1)
            last = pos;
        pos = text.indexOf(quote, runEnd);
    }
    return last;
}

qsizetype cellEnd(QStringView text, qsizetype pos, qsizetype lastOddRun)
{
    if (pos < text.size() && text.at(pos) == quote) {
        const qsizetype close = closingQuote(text, pos, lastOddRun);
        if (close >= 0)
            return plainCellEnd(text, close + 1);
    }
    return plainCellEnd(text, pos);
}

Records readRecords(QStringView text, int maxRecords, qsizetype maxCellChars)
{
    Records read;
    const qsizetype lastOddRun = lastOddQuoteRun(text);
    qsizetype pos = 0;
    while (pos < text.size() && read.records.size() < maxRecords) {
        const qsizetype start = pos;
        qsizetype cellStart = pos;
        qsizetype end = cellEnd(text, cellStart, lastOddRun);
        for (;;) {
            if (isOverlong(text.mid(cellStart, end - cellStart), maxCellChars)) {
                read.overlongCell = true;
                return read;
            }
            if (end == text.size() || text.at(end) != QLatin1Char(','))
                break;
            cellStart = end + 1;
            end = cellEnd(text, cellStart, lastOddRun);
        }
        QStringView record = text.mid(start, end - start);
        if (end < text.size() && record.endsWith(QLatin1Char('\r')))
            record.chop(1);
        read.records.append(record.toString());
        pos = end + 1;
    }
    return read;
}

QString cellText(QStringView raw)
{
    if (!raw.startsWith(quote))
        return raw.toString();
    const qsizetype close = closingQuote(raw, 0, lastOddQuoteRun(raw));
    if (close < 0)
        return raw.toString();
    QString text;
    text.reserve(raw.size());
    for (qsizetype pos = 1; pos < close; ++pos) {
        text.append(raw.at(pos));
        if (raw.at(pos) == quote)
            ++pos; // the second of a pair
    }
    text.append(raw.mid(close + 1));
    return text;
}

QStringView cellView(QStringView raw, QString &storage)
{
    if (!raw.startsWith(quote))
        return raw;
    storage = cellText(raw);
    return storage;
}

int cellCount(QStringView record)
{
    int count = 0;
    forEachCell(record, [&count](int number, QStringView) {
        count = number;
        return true;
    });
    return count;
}

QString record(const QStringList &cells)
{
    QStringList written;
    written.reserve(cells.size());
    for (const QString &cell : cells) {
        if (cell.contains(QLatin1Char(',')) || cell.contains(quote) ||
            cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
            QString quoted = cell;
            quoted.replace(quote, QLatin1String("\"\""));
            written.append(quote + quoted + quote);
        } else {
            written.append(cell);
        }
    }
    return written.join(QLatin1Char(','));
}
} // namespace Csv
