#include "data/workbook.h"

#include "data/package.h"

#include <QLocale>

namespace Workbook
{
namespace
{
// A cell's text as stored may be longer than the cell, since an escape
// (_xHHHH_) stands for one character; no real cell stores twice its length.
constexpr qsizetype maxStoredCellChars = 2 * DataFiles::maxCellChars;
// A reference's letters and digits are read no further than these, far
// past a sheet's last column (XFD, 16,384) and row (1,048,576), so that any
// real reference is read and no number overflows.
constexpr qint64 referenceColumnCap = 1 << 20;
constexpr qint64 referenceRowCap = 1 << 24;
// A hostile shared-string index is named only as far as a real one is long.
constexpr int shownIndexChars = 20;

Problem tooManyCells()
{
    return Problem(Problem::TooManyCells);
}

// Characters a spreadsheet cannot hold as such are written _xHHHH_.
QString unescaped(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        bool ok = false;
        if (text.at(i) == QLatin1Char('_') && i + 6 < text.size() &&
            text.at(i + 1) == QLatin1Char('x') && text.at(i + 6) == QLatin1Char('_')) {
            const ushort code = text.midRef(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

// The text of a shared or inline string: its runs joined, its phonetic
// runs left out.
bool readStringItem(PartReader &part, QString &text)
{
    const QLatin1String element =
        part.isStart(QLatin1String("si")) ? QLatin1String("si") : QLatin1String("is");
    while (part.next()) {
        if (part.isStart(QLatin1String("rPh"))) {
            if (!part.skipElement())
                return false;
        } else if (part.isStart(QLatin1String("t"))) {
            if (!part.readText(text, maxStoredCellChars))
                return false;
        } else if (part.isEnd(element)) {
            text = unescaped(text);
            return true;
        }
    }
    return false;
}

std::optional<Problem> readSharedStrings(const Package &package, const QString &path,
                                         QStringList &strings)
{
    PartReader part = package.reader(path);
    while (part.next()) {
        if (!part.isStart(QLatin1String("si")))
            continue;
        QString text;
        if (!readStringItem(part, text))
            break;
        strings.append(text);
    }
    return part.failed;
}

// The shortest text that reads back as the same number.
QString numberText(const QString &value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value;
    return QString::number(number, 'f', QLocale::FloatingPointShortest);
}

struct Cell {
    QString type;    // t=
    QString value;   // <v>
    QString inline_; // <is>
};

std::optional<QString> cellText(const Cell &cell, const QStringList &shared)
{
    if (cell.type == QLatin1String("s")) {
        bool ok = false;
        const int index = cell.value.toInt(&ok);
        if (!ok || index < 0 || index >= shared.size())
            return std::nullopt;
        return shared.at(index);
    }
    if (cell.type == QLatin1String("inlineStr"))
        return cell.inline_;
    if (cell.type == QLatin1String("b"))
        return cell.value.isEmpty()               ? QString()
               : cell.value == QLatin1String("1") ? QStringLiteral("TRUE")
                                                  : QStringLiteral("FALSE");
    if (cell.type.isEmpty() || cell.type == QLatin1String("n"))
        return cell.value.isEmpty() ? QString() : numberText(cell.value);
    return unescaped(cell.value); // str (a formula's text), e (an error), d (a date)
}

class SheetBuilder
{
public:
    SheetBuilder(Sheet &sheet, Budget &budget) : sheet(sheet), budget(budget) {}

    // False when the cells would take more than the budget holds.
    bool put(int row, int column, const QString &text)
    {
        if (text.isEmpty())
            return true;
        if (row >= maxRows || column >= maxColumns) {
            if (sheet.beyondBounds.isEmpty())
                sheet.beyondBounds = reference(row, column);
            return true;
        }
        if (row >= sheet.rows.size())
            sheet.rows.resize(row + 1);
        QStringList &cells = sheet.rows[row];
        if (!take(column + 1 - cells.size()))
            return false;
        while (cells.size() <= column)
            cells.append(QString());
        cells[column] = text;
        width = qMax(width, column + 1);
        return true;
    }

    bool finish()
    {
        for (QStringList &cells : sheet.rows) {
            if (!take(width - cells.size()))
                return false;
            while (cells.size() < width)
                cells.append(QString());
        }
        return true;
    }

private:
    static QString reference(int row, int column)
    {
        QString letters;
        for (int c = column + 1; c > 0; c = (c - 1) / 26)
            letters.prepend(QChar('A' + (c - 1) % 26));
        return letters + QString::number(row + 1);
    }

    bool take(qint64 cells)
    {
        if (cells <= 0)
            return true;
        budget.cells -= cells;
        return budget.cells >= 0;
    }

    Sheet &sheet;
    Budget &budget;
    int width = 0;
};

// The column of a cell reference ("B3" -> 1); nothing for anything that is
// not a reference, so the cell counts on from the one before.
std::optional<int> referenceColumn(QStringView reference)
{
    int i = 0;
    qint64 column = 0;
    for (; i < reference.size() && reference.at(i) >= QLatin1Char('A') &&
           reference.at(i) <= QLatin1Char('Z');
         ++i) {
        column = column * 26 + (reference.at(i).unicode() - 'A' + 1);
        if (column > referenceColumnCap)
            return std::nullopt;
    }
    if (i == 0 || i == reference.size())
        return std::nullopt;
    qint64 row = 0;
    for (; i < reference.size(); ++i) {
        const QChar c = reference.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        row = row * 10 + (c.unicode() - '0');
        if (row > referenceRowCap)
            return std::nullopt;
    }
    if (row < 1)
        return std::nullopt;
    return int(column - 1);
}

// Reads one <c> element: its type, value and inline string.
bool readCell(PartReader &part, Cell &cell)
{
    while (part.next()) {
        if (part.isStart(QLatin1String("v"))) {
            if (!part.readText(cell.value, maxStoredCellChars))
                return false;
        } else if (part.isStart(QLatin1String("is"))) {
            if (!readStringItem(part, cell.inline_))
                return false;
        } else if (part.isStart(QLatin1String("f"))) {
            if (!part.skipElement())
                return false;
        } else if (part.isEnd(QLatin1String("c"))) {
            return true;
        }
    }
    return false;
}

std::optional<Problem> readSheet(const Package &package, const QString &path,
                                 const QStringList &shared, Sheet &sheet)
{
    PartReader part = package.reader(path);
    SheetBuilder builder(sheet, package.budget);
    int row = -1;
    int column = -1;
    while (part.next()) {
        if (part.isStart(QLatin1String("row"))) {
            bool ok = false;
            const int number = part.attribute(QLatin1String("r")).toInt(&ok);
            row = ok && number > row + 1 ? number - 1 : row + 1;
            column = -1;
        } else if (part.isStart(QLatin1String("c"))) {
            const std::optional<int> referenced =
                referenceColumn(part.attribute(QLatin1String("r")));
            column = referenced ? *referenced : column + 1;
            Cell cell;
            cell.type = part.attribute(QLatin1String("t")).toString();
            if (!readCell(part, cell))
                break;
            const std::optional<QString> text = cellText(cell, shared);
            if (!text) {
                Problem problem = Problem::inPart(Problem::MissingSharedString, path);
                problem.cell = cell.value.left(shownIndexChars);
                return problem;
            }
            if (text->size() > DataFiles::maxCellChars)
                return Problem::over(Problem::CellTooLong, DataFiles::maxCellChars);
            if (!builder.put(qMax(row, 0), column, *text))
                return tooManyCells();
        }
    }
    if (!builder.finish())
        return tooManyCells();
    return part.failed;
}

struct SheetEntry {
    QString name;
    QString relationshipId;
};

std::optional<Problem> readSheetList(const Package &package, const QString &path,
                                     QVector<SheetEntry> &entries)
{
    PartReader part = package.reader(path);
    while (part.next())
        if (part.isStart(QLatin1String("sheet")))
            entries.append({part.attribute(QLatin1String("name")).toString(),
                            part.relationshipId().toString()});
    return part.failed;
}

const Relationship *withId(const QVector<Relationship> &relationships, const QString &id)
{
    for (const Relationship &r : relationships)
        if (r.id == id)
            return &r;
    return nullptr;
}

std::optional<Problem> readContent(Package &package, QVector<Sheet> &sheets)
{
    QVector<Relationship> root;
    if (auto failed = package.relationships(QString(), root))
        return failed;
    const Relationship *document = firstOfType(root, "/officeDocument");
    if (!document)
        return Problem(Problem::NotWorkbook);
    const QString workbookPath = document->target;

    QVector<Relationship> parts;
    QVector<SheetEntry> entries;
    if (auto failed = package.relationships(workbookPath, parts))
        return failed;
    if (auto failed = readSheetList(package, workbookPath, entries))
        return failed;

    QStringList shared;
    if (const Relationship *strings = firstOfType(parts, "/sharedStrings"))
        if (auto failed = readSharedStrings(package, strings->target, shared))
            return failed;

    for (const SheetEntry &entry : qAsConst(entries)) {
        const Relationship *r = withId(parts, entry.relationshipId);
        if (!r || !r->type.endsWith(QLatin1String("/worksheet")))
            continue; // a chart sheet or a dialog sheet holds no rows
        if (r->target.isEmpty())
            return Problem::inPart(Problem::SheetOutside, entry.name);
        Sheet sheet;
        sheet.name = entry.name;
        if (auto failed = readSheet(package, r->target, shared, sheet))
            return failed;
        sheets.append(sheet);
    }
    return std::nullopt;
}
} // namespace

Content read(QIODevice &device)
{
    Budget budget;
    return read(device, budget);
}

Content read(QIODevice &device, Budget &budget)
{
    Content content;
    Package package(device, budget);
    content.problem = package.open();
    if (!content.problem)
        content.problem = readContent(package, content.sheets);
    if (content.problem)
        content.sheets.clear();
    return content;
}
} // namespace Workbook
