#include "convert/conversion.h"

#include "convert/exceptioncodes.h"
#include "convert/folderworkbooks.h"
#include "convert/matching.h"
#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/japanesedates.h"
#include "data/lines.h"

#include <QFile>

namespace
{
using ListReader = std::function<std::optional<Problem>(QIODevice &, QStringList &)>;

// Line (from 1) -> the last day the line's product may be prescribed, for
// the lines whose brand record gives one.
QMap<int, QDate> transitionalDates(const QStringList &productLines,
                                   const QVector<int> &brandPositions)
{
    QMap<int, QDate> dates;
    for (int line = 0; line < brandPositions.size(); ++line) {
        QStringView until;
        pickFields(productLines.at(brandPositions.at(line)), {ProductField::TransitionalUntil},
                   {&until});
        const QDate date = parseJapaneseDate(until);
        if (date.isValid())
            dates.insert(line + 1, date);
    }
    return dates;
}

class Conversion
{
public:
    Conversion(const DataFolder &folder, const CheckMessage &checkMessage, const QDateTime &now)
        : folder(folder), checkMessage(checkMessage), now(now), workbooks(folder)
    {
    }

    ConversionOutcome run(ReadLines *read)
    {
        outcome.problem = runSteps();
        if (read)
            *read = std::move(lines);
        return outcome;
    }

private:
    std::optional<Problem> runSteps()
    {
        DisplayListReplacement displayList(folder);
        if (auto problem = displayList.begin())
            return problem;
        if (auto problem = readWorkbooksIfNeeded())
            return problem;
        if (auto problem = readProducts())
            return problem;
        // The exception sheet first: it is reduced to its few codes before
        // the master is read, so no two raw lists are held at once.
        ExceptionCodes exceptionCodes;
        if (auto problem = readExceptions(exceptionCodes))
            return problem;
        if (auto problem = readMaster())
            return problem;

        const MatchedLines matched =
            matchBrandsToGenerics(*lines.productLines, *lines.genericRecords, exceptionCodes);
        if (matched.lines.isEmpty())
            return Problem(Problem::NothingProduced).about(productPath);
        if (matched.flaggedBrands > 0 && matched.flaggedWithoutName == matched.flaggedBrands)
            return Problem(Problem::NoGenericNames).about(masterPath);
        if (auto problem = displayList.commit(matched.lines, recordOf(matched)))
            return problem;
        outcome.writtenInUtf8Instead = displayList.notEncodableIn();
        outcome.linesWritten = matched.lines.size();
        outcome.brandsWithoutName = matched.flaggedWithoutName;
        return std::nullopt;
    }

    ListRecord recordOf(const MatchedLines &matched) const
    {
        const ConversionSources &sources = outcome.sources;
        ListRecord record;
        record.converted = now;
        record.priceListSources = sources.priceListWorkbooks.isEmpty()
                                      ? QStringList{DataFiles::productList}
                                      : sources.priceListWorkbooks;
        record.masterSources = QStringList{
            sources.masterWorkbook.isEmpty() ? DataFiles::genericNameList : sources.masterWorkbook};
        if (exceptionCsv)
            record.masterSources.append(DataFiles::exceptionList);
        else if (!sources.exceptionsWorkbook.isEmpty() &&
                 sources.exceptionsWorkbook != sources.masterWorkbook)
            record.masterSources.append(sources.exceptionsWorkbook);
        record.masterDate = sources.masterDate;
        record.transitionalUntil = transitionalDates(*lines.productLines, matched.brandPositions);
        return record;
    }

    // Workbooks supply the lists that have no CSV file; with all three
    // there, none is opened.
    std::optional<Problem> readWorkbooksIfNeeded()
    {
        productCsv = folder.holds(DataFiles::productList);
        masterCsv = folder.holds(DataFiles::genericNameList);
        exceptionCsv = folder.holds(DataFiles::exceptionList);
        if (productCsv && masterCsv && exceptionCsv) {
            outcome.sources.passedOver = folder.workbookNames();
            return std::nullopt;
        }
        if (auto problem = workbooks.read())
            return problem;
        const PublishedLists::Classified &lists = workbooks.lists();
        if (productCsv)
            for (const PublishedLists::PriceList &priceList : lists.priceLists)
                outcome.sources.passedOver.append(priceList.fileName);
        if (masterCsv && exceptionCsv)
            for (const PublishedLists::Master &master : lists.masters)
                outcome.sources.passedOver.append(master.fileName);
        if (!masterCsv || !exceptionCsv)
            return workbooks.ambiguousMasters();
        return std::nullopt;
    }

    // Reads the CSV list `fileName` with `reader` into `records`.
    std::optional<Problem> readCsvList(const QString &fileName, const ListReader &reader,
                                       QStringList &records) const
    {
        QFile file;
        if (auto problem = folder.open(fileName, file))
            return problem;
        if (auto problem = reader(file, records))
            return problem->about(folder.filePath(fileName));
        return std::nullopt;
    }

    std::optional<Problem> readProducts()
    {
        QStringList read;
        productPath = folder.filePath(DataFiles::productList);
        const ListReader reader = [this](QIODevice &device, QStringList &into) {
            return readProductList(device, folder.codec(), checkMessage, into);
        };
        if (auto problem = productCsv ? readCsvList(DataFiles::productList, reader, read)
                                      : workbooks.productRecords(checkMessage, read))
            return problem;
        if (!productCsv)
            for (const PublishedLists::PriceList &priceList : workbooks.lists().priceLists)
                outcome.sources.priceListWorkbooks.append(priceList.fileName);
        outcome.sources.productKinds = PublishedLists::productKinds(read);
        lines.productLines = std::move(read);
        return std::nullopt;
    }

    std::optional<Problem> readExceptions(ExceptionCodes &exceptionCodes)
    {
        QStringList records;
        QString path = folder.filePath(DataFiles::exceptionList);
        if (exceptionCsv) {
            if (auto problem = readCsvList(DataFiles::exceptionList, masterReader(), records))
                return problem;
        } else if (const PublishedLists::Master *master = workbooks.master();
                   master && master->exceptions) {
            path = folder.filePath(master->fileName);
            if (auto problem =
                    workbooks.appendSheetRecords(master->fileName, *master->exceptions, records))
                return problem;
            outcome.sources.exceptionsWorkbook = master->fileName;
        } else {
            return std::nullopt; // no exception sheet takes part
        }
        exceptionCodes = exceptionCodesFrom(records);
        if (exceptionCodes.isEmpty())
            return Problem(Problem::NoExceptionCodes).about(path);
        outcome.exceptionCodes = exceptionCodes.size();
        return std::nullopt;
    }

    std::optional<Problem> readMaster()
    {
        QStringList records;
        masterPath = folder.filePath(DataFiles::genericNameList);
        if (masterCsv) {
            if (auto problem = readCsvList(DataFiles::genericNameList, masterReader(), records))
                return problem;
            outcome.sources.masterDate = PublishedLists::masterDate(records);
        } else if (const PublishedLists::Master *master = workbooks.master()) {
            masterPath = folder.filePath(master->fileName);
            if (auto problem =
                    workbooks.appendSheetRecords(master->fileName, *master->main, records))
                return problem;
            outcome.sources.masterWorkbook = master->fileName;
            outcome.sources.masterDate = PublishedLists::masterDate(master->main->rows);
        } else {
            return Problem(Problem::ListMissing).about(masterPath);
        }
        lines.genericRecords = genericNameRecords(records);
        return std::nullopt;
    }

    ListReader masterReader() const
    {
        return [this](QIODevice &device, QStringList &records) {
            return readMasterRecords(device, folder.codec(), records);
        };
    }

    const DataFolder &folder;
    const CheckMessage &checkMessage;
    const QDateTime now;
    ConversionOutcome outcome;
    ReadLines lines;
    FolderWorkbooks workbooks;
    bool productCsv = false;
    bool masterCsv = false;
    bool exceptionCsv = false;
    QString productPath;
    QString masterPath;
};
} // namespace

ConversionOutcome runConversion(const DataFolder &folder, const CheckMessage &checkMessage,
                                ReadLines *read, const QDateTime &now)
{
    return Conversion(folder, checkMessage, now).run(read);
}
