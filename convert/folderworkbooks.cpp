#include "convert/folderworkbooks.h"

#include "data/csvrecords.h"

#include <QFile>

namespace
{
// The rows of the price list's sheets that make the product list: a later
// workbook's header row is no product.
QVector<const QStringList *> productRows(const QVector<PublishedLists::PriceList> &priceLists)
{
    QVector<const QStringList *> rows;
    for (int i = 0; i < priceLists.size(); ++i) {
        const QVector<QStringList> &sheetRows = priceLists.at(i).sheet->rows;
        for (int row = i == 0 ? 0 : 1; row < sheetRows.size(); ++row)
            rows.append(&sheetRows.at(row));
    }
    return rows;
}
} // namespace

std::optional<Problem> FolderWorkbooks::read()
{
    for (const QString &name : folder.workbookNames()) {
        QFile file;
        if (std::optional<Problem> problem = folder.open(name, file))
            return problem;
        contents.push_back(Workbook::read(file, budget));
        const Workbook::Content &content = contents.back();
        if (content.problem)
            return Problem(*content.problem).about(folder.filePath(name));
        const int listsBefore = classified.priceLists.size() + classified.masters.size();
        PublishedLists::classify(name, content, classified);
        if (classified.priceLists.size() + classified.masters.size() == listsBefore)
            contents.pop_back(); // none of the lists: passed over
    }
    return std::nullopt;
}

const PublishedLists::Master *FolderWorkbooks::master() const
{
    return classified.masters.isEmpty() ? nullptr : &classified.masters.first();
}

std::optional<Problem> FolderWorkbooks::ambiguousMasters() const
{
    if (classified.masters.size() < 2)
        return std::nullopt;
    return ambiguous(classified.masters.at(0).fileName, classified.masters.at(1).fileName);
}

std::optional<Problem> FolderWorkbooks::productRecords(const CheckMessage &checkMessage,
                                                       QStringList &records) const
{
    const QVector<PublishedLists::PriceList> &priceLists = classified.priceLists;
    if (priceLists.isEmpty())
        return Problem(Problem::ListMissing).about(folder.filePath(DataFiles::productList));
    for (int i = 0; i < priceLists.size(); ++i) {
        const PublishedLists::PriceList &priceList = priceLists.at(i);
        for (int j = 0; j < i; ++j)
            for (const QString &kind : priceList.kinds)
                if (priceLists.at(j).kinds.contains(kind))
                    return ambiguous(priceLists.at(j).fileName, priceList.fileName);
        if (std::optional<Problem> problem = tooLarge(priceList.fileName, *priceList.sheet))
            return problem;
    }
    const QVector<const QStringList *> rows = productRows(priceLists);
    for (int i = 0; i < rows.size() && records.size() < DataFiles::rawListMaxRecords; ++i)
        records.append(Csv::record(*rows.at(i)));
    // A row's cells less one count as its commas.
    QVector<int> commas;
    for (int i = 0; i < qMin(checkedProductLines, int(rows.size())); ++i)
        commas.append(int(rows.at(i)->size()) - 1);
    checkFirstLines(commas, checkMessage);
    return std::nullopt;
}

std::optional<Problem> FolderWorkbooks::appendSheetRecords(const QString &fileName,
                                                           const Workbook::Sheet &sheet,
                                                           QStringList &records) const
{
    if (std::optional<Problem> problem = tooLarge(fileName, sheet))
        return problem;
    for (int row = 0; row < sheet.rows.size() && records.size() < DataFiles::rawListMaxRecords;
         ++row)
        records.append(Csv::record(sheet.rows.at(row)));
    return std::nullopt;
}

std::optional<Problem> FolderWorkbooks::tooLarge(const QString &fileName,
                                                 const Workbook::Sheet &sheet) const
{
    if (sheet.beyondBounds.isEmpty())
        return std::nullopt;
    Problem problem = Problem::inPart(Problem::SheetTooLarge, sheet.name);
    problem.cell = sheet.beyondBounds;
    return problem.about(folder.filePath(fileName));
}

std::optional<Problem> FolderWorkbooks::ambiguous(const QString &first, const QString &second) const
{
    Problem problem(Problem::AmbiguousWorkbooks);
    problem.files = QStringList{first, second};
    return problem.about(folder.filePath(second));
}
