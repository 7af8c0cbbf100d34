#include "convert/publishedlists.h"

#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/lines.h"

namespace PublishedLists
{
namespace
{
// Title and date rows stand above a master sheet's header.
constexpr int rowsSearchedForAHeader = 10;

// The kinds in their published order; the first three make a whole list.
const QStringList kindOrder{QStringLiteral("内用薬"), QStringLiteral("注射薬"),
                            QStringLiteral("外用薬"), QStringLiteral("歯科用薬剤")};
constexpr int wholeListKinds = 3;

// The header cells that tell the sheets apart. The price list and the
// master both begin with 区分; the exception sheet has the price list's
// product code in cell 6.
const QString kindHeader = QStringLiteral("区分");
const QString productCodeHeader = QStringLiteral("薬価基準収載医薬品コード");
const QString genericCodeHeader = QStringLiteral("一般名コード");
constexpr int exceptionProductCodeColumn = 5;

bool beginsWith(const QStringList &cells, const QStringList &texts)
{
    if (cells.size() < texts.size())
        return false;
    for (int i = 0; i < texts.size(); ++i)
        if (cells.at(i) != texts.at(i))
            return false;
    return true;
}

bool isPriceListHeader(const QStringList &cells)
{
    return beginsWith(cells, {kindHeader, productCodeHeader, QStringLiteral("成分名")});
}

bool isMasterHeader(const QStringList &cells)
{
    return beginsWith(cells,
                      {kindHeader, genericCodeHeader, QStringLiteral("一般名処方の標準的な記載")});
}

bool isExceptionHeader(const QStringList &cells)
{
    return isMasterHeader(cells) && cells.value(exceptionProductCodeColumn) == productCodeHeader;
}

// The row of a master sheet's header, or -1.
int masterHeaderRow(const Workbook::Sheet &sheet)
{
    for (int row = 0; row < qMin(rowsSearchedForAHeader, sheet.rows.size()); ++row)
        if (isMasterHeader(sheet.rows.at(row)))
            return row;
    return -1;
}

QStringList kindsOf(const Workbook::Sheet &sheet)
{
    QStringList kinds;
    for (int row = 1; row < sheet.rows.size(); ++row) {
        const QString kind = sheet.rows.at(row).value(ProductField::Kind - 1);
        if (kindOrder.contains(kind) && !kinds.contains(kind))
            kinds.append(kind);
    }
    return kinds;
}

QString dateIn(const QStringList &cells)
{
    for (const QString &cell : cells)
        if (cell.endsWith(QStringLiteral("適用")))
            return cell.trimmed();
    return QString();
}
} // namespace

void classify(const QString &fileName, const Workbook::Content &content, Classified &into)
{
    Master master{fileName, nullptr, nullptr};
    for (const Workbook::Sheet &sheet : content.sheets) {
        if (!sheet.rows.isEmpty() && isPriceListHeader(sheet.rows.first())) {
            into.priceLists.append({fileName, &sheet, kindsOf(sheet)});
            return;
        }
        const int header = masterHeaderRow(sheet);
        if (header < 0)
            continue;
        if (isExceptionHeader(sheet.rows.at(header))) {
            if (!master.exceptions)
                master.exceptions = &sheet;
        } else if (!master.main) {
            master.main = &sheet;
        }
    }
    if (master.main)
        into.masters.append(master);
}

QStringList productKinds(const QStringList &productLines)
{
    QStringList kinds;
    for (int i = 1; i < productLines.size(); ++i) {
        QStringView kind;
        pickFields(productLines.at(i), {ProductField::Kind}, {&kind});
        for (const QString &known : kindOrder)
            if (kind == known && !kinds.contains(known))
                kinds.append(known);
    }
    return kinds;
}

QStringList missingKinds(const QStringList &kinds)
{
    QStringList missing;
    for (int i = 0; i < wholeListKinds; ++i)
        if (!kinds.contains(kindOrder.at(i)))
            missing.append(kindOrder.at(i));
    return missing;
}

QString masterDate(const QVector<QStringList> &rows)
{
    for (int row = 0; row < qMin(rowsSearchedForAHeader, rows.size()); ++row) {
        if (isMasterHeader(rows.at(row)))
            break;
        const QString date = dateIn(rows.at(row));
        if (!date.isEmpty())
            return date;
    }
    return QString();
}

QString masterDate(const QStringList &records)
{
    QVector<QStringList> rows;
    for (int i = 0; i < qMin(rowsSearchedForAHeader, records.size()); ++i) {
        QStringList cells;
        Csv::forEachCell(records.at(i), [&cells](int, QStringView raw) {
            cells.append(Csv::cellText(raw));
            return true;
        });
        rows.append(cells);
    }
    return masterDate(rows);
}
} // namespace PublishedLists
