#include "data/workbook.h"

#include "data/datafiles.h"

#include <KZip> // declares KArchive, which its entry headers need first

#include <KArchiveDirectory>
#include <KArchiveFile>

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QXmlStreamReader>

#include <memory>
#include <optional>

namespace Workbook
{
namespace
{
constexpr int maxDepth = 64;
const QLatin1String
    relationshipsNamespace("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

struct Failure {
    Problem problem;
    QString reason;
};

Failure damaged(const QString &reason)
{
    return {Problem::Damaged, reason};
}

Failure tooManyCells()
{
    return {Problem::TooLarge, translated("セルが多すぎます")};
}

Failure overlongCell()
{
    return {Problem::TooLarge, DataFiles::overlongCellReason()};
}

// A part of the package, inflated as it is read and never past
// maxPartBytes nor the budget's bytes.
class BoundedDevice : public QIODevice
{
public:
    BoundedDevice(QIODevice *inner, Budget &budget)
        : inner(inner), budget(budget), bound(qMin(maxPartBytes, budget.inflatedBytes))
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    bool overflowed = false;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 got = inner->read(data, qMin(maxSize, bound + 1 - total));
        if (got < 0)
            return -1;
        total += got;
        budget.inflatedBytes -= got;
        if (total > bound) {
            overflowed = true;
            return -1;
        }
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QIODevice *inner;
    Budget &budget;
    qint64 bound;
    qint64 total = 0;
};

// The XML of one part, token by token, refusing what no workbook holds.
class PartReader
{
public:
    // `file` is null where the package lacks the part.
    PartReader(const KArchiveFile *file, const QString &path, Budget &budget)
        : inner(file ? file->createDevice() : nullptr), path(path)
    {
        if (!file)
            fail(damaged(translated("%1 がありません").arg(path)));
        else if (!inner)
            fail(damaged(translated("%1 を展開できません").arg(path)));
        else {
            bounded = std::make_unique<BoundedDevice>(inner.get(), budget);
            xml.setDevice(bounded.get());
        }
    }

    // The next element boundary or text; false at the end of the part or on
    // a failure, which `failed` then holds.
    bool next()
    {
        if (failed)
            return false;
        for (;;) {
            switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth > maxDepth)
                    return fail(damaged(translated("%1 の入れ子が深すぎます").arg(path)));
                return true;
            case QXmlStreamReader::EndElement:
                --depth;
                return true;
            case QXmlStreamReader::Characters:
                return true;
            case QXmlStreamReader::EndDocument:
                return false;
            case QXmlStreamReader::DTD:
            case QXmlStreamReader::EntityReference:
                return fail(damaged(translated("%1 に DTD や実体参照があります").arg(path)));
            case QXmlStreamReader::Invalid:
                return fail(invalidXml());
            default:
                continue; // declarations, comments, processing instructions
            }
        }
    }

    // Reads the text up to the end of the element just started.
    bool readText(QString &text)
    {
        const int level = depth;
        while (next()) {
            if (xml.isCharacters())
                text += xml.text();
            else if (xml.isEndElement() && depth < level)
                return true;
            if (text.size() > DataFiles::maxCellChars * 2)
                return fail(overlongCell());
        }
        return false;
    }

    // Passes over the element just started.
    bool skipElement()
    {
        const int level = depth;
        while (next())
            if (xml.isEndElement() && depth < level)
                return true;
        return false;
    }

    bool isStart(QLatin1String name) const { return xml.isStartElement() && xml.name() == name; }
    bool isEnd(QLatin1String name) const { return xml.isEndElement() && xml.name() == name; }
    QStringView attribute(QLatin1String name) const { return xml.attributes().value(name); }

    QStringView relationshipId() const
    {
        for (const QXmlStreamAttribute &a : xml.attributes())
            if (a.name() == QLatin1String("id") && a.namespaceUri() == relationshipsNamespace)
                return a.value();
        return {};
    }

    bool fail(const Failure &f)
    {
        if (!failed)
            failed = f;
        return false;
    }

    std::optional<Failure> failed;

private:
    Failure invalidXml() const
    {
        if (bounded && bounded->overflowed)
            return {Problem::TooLarge, translated("%1 が展開すると大きすぎます").arg(path)};
        return damaged(translated("%1 が壊れています（%2）").arg(path, xml.errorString()));
    }

    std::unique_ptr<QIODevice> inner;
    std::unique_ptr<BoundedDevice> bounded;
    QString path;
    QXmlStreamReader xml;
    int depth = 0;
};

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
            if (!part.readText(text))
                return false;
        } else if (part.isEnd(element)) {
            text = unescaped(text);
            return true;
        }
    }
    return false;
}

struct Relationship {
    QString type;
    QString target; // a path inside the package
};

class Package
{
public:
    Package(QIODevice &device, Budget &budget) : budget(budget), zip(&device) {}

    PartReader reader(const QString &path) const { return PartReader(file(path), path, budget); }

    Budget &budget;

    std::optional<Failure> open()
    {
        if (zip.device()->size() > maxPackageBytes)
            return Failure{Problem::TooLarge,
                           translated("%1 MB を超えます").arg(maxPackageBytes / 1024 / 1024)};
        const QByteArray head = zip.device()->peek(8);
        if (head.startsWith("\xD0\xCF\x11\xE0"))
            return Failure{Problem::NotWorkbook,
                           translated("暗号化されているか、古い形式（.xls）のブックです")};
        if (!zip.open(QIODevice::ReadOnly))
            return Failure{
                Problem::NotWorkbook,
                translated("ブック（.xlsx）として読めません（%1）").arg(zip.errorString())};
        return std::nullopt;
    }

    const KArchiveFile *file(const QString &path) const
    {
        const KArchiveEntry *entry = zip.directory()->entry(path);
        return entry && entry->isFile() ? static_cast<const KArchiveFile *>(entry) : nullptr;
    }

    // The relationships of the part at `partPath`, by id; targets resolved
    // against the part's folder.
    std::optional<Failure> relationships(const QString &partPath,
                                         QHash<QString, Relationship> &out) const
    {
        const QString folder = partPath.section(QLatin1Char('/'), 0, -2);
        const QString relsPath = (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) +
                                 QStringLiteral("_rels/") + partPath.section(QLatin1Char('/'), -1) +
                                 QStringLiteral(".rels");
        if (!file(relsPath))
            return std::nullopt; // a part without relationships
        PartReader part = reader(relsPath);
        while (part.next()) {
            if (!part.isStart(QLatin1String("Relationship")))
                continue;
            Relationship r;
            r.type = part.attribute(QLatin1String("Type")).toString();
            const bool external =
                part.attribute(QLatin1String("TargetMode")) == QLatin1String("External");
            std::optional<QString> target =
                resolved(folder, part.attribute(QLatin1String("Target")).toString());
            if (!external && !target)
                return damaged(translated("%1 がパッケージの外を指しています").arg(relsPath));
            if (!external)
                r.target = *target;
            out.insert(part.attribute(QLatin1String("Id")).toString(), r);
        }
        return part.failed;
    }

private:
    static std::optional<QString> resolved(const QString &folder, const QString &target)
    {
        if (target.contains(QLatin1Char(':')) || target.contains(QLatin1Char('\\')))
            return std::nullopt;
        const QString joined =
            target.startsWith(QLatin1Char('/')) ? target : folder + QLatin1Char('/') + target;
        QString path = QDir::cleanPath(joined);
        while (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        if (path.isEmpty() || path == QLatin1String("..") || path.startsWith(QLatin1String("../")))
            return std::nullopt;
        return path;
    }

    KZip zip;
};

bool hasType(const Relationship &r, const char *suffix)
{
    return r.type.endsWith(QLatin1String(suffix));
}

std::optional<Failure> readSharedStrings(const Package &package, const QString &path,
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
        if (column > 1 << 20)
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
        if (row > 1 << 24)
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
            if (!part.readText(cell.value))
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

std::optional<Failure> readSheet(const Package &package, const QString &path,
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
            if (!text)
                return damaged(translated("%1 に存在しない共有文字列 %2 があります")
                                   .arg(path, cell.value.left(20)));
            if (text->size() > DataFiles::maxCellChars)
                return overlongCell();
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

std::optional<Failure> readSheetList(const Package &package, const QString &path,
                                     QVector<SheetEntry> &entries)
{
    PartReader part = package.reader(path);
    while (part.next())
        if (part.isStart(QLatin1String("sheet")))
            entries.append({part.attribute(QLatin1String("name")).toString(),
                            part.relationshipId().toString()});
    return part.failed;
}

std::optional<Failure> readContent(Package &package, QVector<Sheet> &sheets)
{
    QHash<QString, Relationship> root;
    if (auto failed = package.relationships(QString(), root))
        return failed;
    QString workbookPath;
    for (const Relationship &r : qAsConst(root))
        if (hasType(r, "/officeDocument") && !r.target.isEmpty())
            workbookPath = r.target;
    if (workbookPath.isEmpty())
        return Failure{Problem::NotWorkbook, translated("ブック（.xlsx）ではありません")};

    QHash<QString, Relationship> parts;
    QVector<SheetEntry> entries;
    if (auto failed = package.relationships(workbookPath, parts))
        return failed;
    if (auto failed = readSheetList(package, workbookPath, entries))
        return failed;

    QStringList shared;
    for (const Relationship &r : qAsConst(parts))
        if (hasType(r, "/sharedStrings"))
            if (auto failed = readSharedStrings(package, r.target, shared))
                return failed;

    for (const SheetEntry &entry : qAsConst(entries)) {
        const Relationship r = parts.value(entry.relationshipId);
        if (!hasType(r, "/worksheet"))
            continue; // a chart sheet or a dialog sheet holds no rows
        if (r.target.isEmpty())
            return damaged(translated("シート %1 がパッケージの外を指しています").arg(entry.name));
        Sheet sheet;
        sheet.name = entry.name;
        if (auto failed = readSheet(package, r.target, shared, sheet))
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
    std::optional<Failure> failed = package.open();
    if (!failed)
        failed = readContent(package, content.sheets);
    if (failed) {
        content.problem = failed->problem;
        content.reason = failed->reason;
        content.sheets.clear();
    }
    return content;
}

QString csvRecord(const QStringList &cells)
{
    QStringList written;
    written.reserve(cells.size());
    for (const QString &cell : cells) {
        if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
            cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'))) {
            QString quoted = cell;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            written.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        } else {
            written.append(cell);
        }
    }
    return written.join(QLatin1Char(','));
}
} // namespace Workbook
