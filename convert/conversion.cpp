#include "convert/conversion.h"

#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "convert/publishedlists.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/regularfile.h"
#include "data/workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <deque>

namespace
{
constexpr int checkedProductLines = 2;
constexpr int fewestHeaderCommas = 10;
constexpr int fewestGenericRecordCells = 7;
constexpr qint64 readChunkBytes = 1024 * 1024;

QString translated(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

ListRead failed(ConversionEnding problem, const QString &reason)
{
    ListRead read;
    read.problem = problem;
    read.reason = reason;
    return read;
}

ListRead overlongLine()
{
    return failed(ConversionEnding::TooLarge,
                  translated("%1 文字を超える行があります").arg(DataFiles::maxCellChars));
}

ListRead tooManyBytes()
{
    return failed(ConversionEnding::TooLarge,
                  translated("%1 MB を超えます").arg(DataFiles::rawListMaxBytes / 1024 / 1024));
}

ListRead wrongEncoding()
{
    return failed(ConversionEnding::WrongEncoding,
                  translated("文字コード %1 で読めない文字があります")
                      .arg(QString::fromLatin1(QTextCodec::codecForLocale()->name())));
}

// A read that the system failed ends the run: a short list is no list.
bool readFailed(const QIODevice &device, ListRead &read)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (!file || file->error() == QFileDevice::NoError)
        return false;
    read = failed(ConversionEnding::ReadFailed, file->errorString());
    return true;
}

bool hasReplacementCharacter(QStringView text)
{
    return text.contains(QChar(QChar::ReplacementCharacter));
}

// At most rawListMaxBytes + 1 bytes of `device`, read in pieces; `cut` tells
// whether there was more.
std::optional<QByteArray> readBounded(QIODevice &device, bool &cut)
{
    QByteArray bytes;
    for (;;) {
        // Pieces of the size left, where the device knows it: a small list
        // costs a small buffer.
        const qint64 at = bytes.size();
        const qint64 want = qBound(qint64(4096), device.bytesAvailable() + 1, readChunkBytes);
        bytes.resize(int(at + want));
        const qint64 got = device.read(bytes.data() + at, want);
        if (got < 0)
            return std::nullopt;
        bytes.resize(int(at + got));
        if (got == 0 || bytes.size() > DataFiles::rawListMaxBytes)
            break;
    }
    cut = bytes.size() > DataFiles::rawListMaxBytes;
    bytes.truncate(int(DataFiles::rawListMaxBytes));
    return bytes;
}

// The text as the system's text streams read it: a byte-order mark selects
// UTF-8, UTF-16 or UTF-32, anything else is read in the system's encoding.
QString decoded(const QByteArray &bytes)
{
    return QTextCodec::codecForUtfText(bytes, QTextCodec::codecForLocale())->toUnicode(bytes);
}

enum class Presence { Required, Optional };

// Reads the list at `path` with `reader`; nothing when an optional list is
// missing.
std::optional<ListRead> readListFile(const QString &path,
                                     const std::function<ListRead(QIODevice &)> &reader,
                                     Presence presence = Presence::Required)
{
    QFile file(path);
    const FileCheck check = openRegularFile(file);
    switch (check.problem) {
    case FileProblem::None:
        return reader(file);
    case FileProblem::Missing:
        if (presence == Presence::Optional)
            return std::nullopt;
        return failed(ConversionEnding::ListUnopenable, check.reason);
    case FileProblem::NotRegular:
        return failed(ConversionEnding::NotRegularFile, check.reason);
    case FileProblem::Unopenable:
        break;
    }
    return failed(ConversionEnding::ListUnopenable, check.reason);
}

bool writeLines(QSaveFile &file, const QStringList &lines)
{
    QTextStream out(&file);
    for (const QString &line : lines)
        out << line << '\n';
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}
} // namespace

ConversionPaths ConversionPaths::inFolder(const QString &folder)
{
    const QDir dir(folder);
    return {dir.filePath(DataFiles::displayList), dir.filePath(DataFiles::productList),
            dir.filePath(DataFiles::genericNameList), dir.filePath(DataFiles::exceptionList),
            dir.path()};
}

ConversionPaths ConversionPaths::inDataFolder()
{
    return inFolder(dataFolder());
}

ListRead readProductList(QIODevice &device, const CheckMessage &checkMessage)
{
    ListRead read;
    QTextStream in(&device);
    qint64 chars = 0;
    for (int position = 0;; ++position) {
        // One character more than a line may hold tells an overlong line
        // without reading the rest of it.
        const QString line = in.readLine(DataFiles::maxCellChars + 1);
        // Checked before the end of data, so a list of fewer than two lines
        // is reported too.
        const int commas = line.count(QLatin1Char(','));
        if (position < checkedProductLines && commas < fewestHeaderCommas)
            checkMessage(position, commas);
        if (line.isNull())
            break;
        if (line.size() > DataFiles::maxCellChars)
            return overlongLine();
        if (hasReplacementCharacter(line))
            return wrongEncoding();
        read.lines.append(line);
        if (read.lines.size() == DataFiles::rawListMaxRecords)
            break;
        chars += line.size();
        if (device.pos() > DataFiles::rawListMaxBytes || chars > DataFiles::rawListMaxChars)
            return tooManyBytes();
    }
    readFailed(device, read);
    return read;
}

ListRead readMasterRecords(QIODevice &device)
{
    ListRead read;
    bool cut = false;
    std::optional<QByteArray> bytes = readBounded(device, cut);
    if (readFailed(device, read))
        return read;
    if (!bytes)
        return failed(ConversionEnding::ReadFailed, device.errorString());
    QString text = decoded(*bytes);
    bytes.reset(); // a list's bytes, text and records are not held all at once
    if (text.size() > DataFiles::rawListMaxChars) {
        text.truncate(int(DataFiles::rawListMaxChars));
        text.squeeze();
        cut = true;
    }
    Csv::Records records =
        Csv::readRecords(text, DataFiles::rawListMaxRecords, DataFiles::maxCellChars);
    text.clear();
    if (records.overlongCell)
        return failed(ConversionEnding::TooLarge, DataFiles::overlongCellReason());
    if (cut && records.records.size() < DataFiles::rawListMaxRecords)
        return tooManyBytes();
    for (const QString &record : qAsConst(records.records))
        if (hasReplacementCharacter(record))
            return wrongEncoding();
    read.lines = std::move(records.records);
    return read;
}

QStringList genericNameRecords(const QStringList &records)
{
    QStringList kept;
    for (const QString &record : records)
        if (Csv::cellCount(record) >= fewestGenericRecordCells)
            kept.append(record);
    return kept;
}

namespace
{
// A run that ends early: how, about which file, and why.
struct Stop {
    ConversionEnding ending;
    QString path;
    QString reason;
};

bool isPresent(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Every workbook in the data folder, read and sorted by what it holds.
class FolderWorkbooks
{
public:
    std::optional<Stop> read(const QString &folder)
    {
        const QDir dir(folder);
        for (const QString &name : workbookNames(folder)) {
            const QString path = dir.filePath(name);
            QFile file(path);
            const FileCheck check = openRegularFile(file);
            if (check.problem != FileProblem::None)
                return Stop{ConversionEnding::BadWorkbook, path, check.reason};
            contents.push_back(Workbook::read(file, budget));
            const Workbook::Content &content = contents.back();
            if (content.problem == Workbook::Problem::TooLarge)
                return Stop{ConversionEnding::TooLarge, path, content.reason};
            if (content.problem != Workbook::Problem::None)
                return Stop{ConversionEnding::BadWorkbook, path, content.reason};
            const int listsBefore = lists.priceLists.size() + lists.masters.size();
            PublishedLists::classify(name, content, lists);
            if (lists.priceLists.size() + lists.masters.size() == listsBefore)
                contents.pop_back(); // none of the lists: passed over
        }
        this->folder = folder;
        return std::nullopt;
    }

    static QStringList workbookNames(const QString &folder)
    {
        return QDir(folder).entryList({QStringLiteral("*.xlsx")},
                                      QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    }

    QString path(const QString &fileName) const { return QDir(folder).filePath(fileName); }

    PublishedLists::Classified lists;

private:
    std::deque<Workbook::Content> contents; // the classified lists point into them
    Workbook::Budget budget;                // for all of them together
    QString folder;
};

// Appends the rows of a sheet that takes a list, from row `from` on, as the
// records its CSV export holds, up to the raw lists' record limit. A sheet
// with a value past the rows or columns kept is too large to be a list.
std::optional<Stop> appendSheetRecords(const QString &path, const Workbook::Sheet &sheet,
                                       QStringList &records, int from = 0)
{
    if (!sheet.beyondBounds.isEmpty())
        return Stop{ConversionEnding::TooLarge, path,
                    translated("シート %1 が大きすぎます（%2 のセル）")
                        .arg(sheet.name, sheet.beyondBounds)};
    for (int row = from; row < sheet.rows.size() && records.size() < DataFiles::rawListMaxRecords;
         ++row)
        records.append(Workbook::csvRecord(sheet.rows.at(row)));
    return std::nullopt;
}

// Reads a CSV list with `reader` into `lines`.
std::optional<Stop> readCsvList(const QString &path,
                                const std::function<ListRead(QIODevice &)> &reader,
                                QStringList &lines)
{
    const ListRead read = *readListFile(path, reader);
    if (read.problem != ConversionEnding::Completed)
        return Stop{read.problem, path, read.reason};
    lines = read.lines;
    return std::nullopt;
}

// The check message as reading a product list shows it, for lines that
// were not read from a file: a row's cells less one count as its commas.
void checkFirstLines(const QVector<int> &cellCounts, const CheckMessage &checkMessage)
{
    for (int position = 0; position < checkedProductLines; ++position) {
        const int commas = position < cellCounts.size() ? cellCounts.at(position) - 1 : 0;
        if (commas < fewestHeaderCommas)
            checkMessage(position, commas);
    }
}

class Conversion
{
public:
    Conversion(const ConversionPaths &paths, const CheckMessage &checkMessage)
        : paths(paths), checkMessage(checkMessage)
    {
    }

    ConversionOutcome run()
    {
        if (const std::optional<Stop> stop = runSteps()) {
            outcome.ending = stop->ending;
            outcome.path = stop->path;
            outcome.reason = stop->reason;
        }
        return outcome;
    }

private:
    std::optional<Stop> runSteps()
    {
        // The new list goes to a temporary file beside the old one and
        // replaces it only once complete; a run that ends early discards it
        // and the user's list stays as it was. Only a regular file is ever
        // replaced.
        const FileCheck target = checkReplaceable(paths.displayList);
        if (target.problem != FileProblem::None)
            return Stop{ConversionEnding::DisplayListUnwritable, paths.displayList, target.reason};
        QSaveFile displayList(paths.displayList);
        if (!displayList.open(QIODevice::WriteOnly))
            return Stop{ConversionEnding::DisplayListUnwritable, paths.displayList,
                        displayList.errorString()};

        if (auto stop = readWorkbooksIfNeeded())
            return stop;
        if (auto stop = readProducts())
            return stop;
        // The exception sheet first: it is reduced to its few codes before
        // the master is read, so no two raw lists are held at once.
        ExceptionCodes exceptionCodes;
        if (auto stop = readExceptions(exceptionCodes))
            return stop;
        if (auto stop = readMaster())
            return stop;

        const MatchedLines matched =
            matchBrandsToGenerics(*outcome.productLines, *outcome.lookupLines, exceptionCodes);
        if (matched.lines.isEmpty())
            return Stop{ConversionEnding::NothingProduced, paths.productList, {}};
        if (matched.flaggedBrands > 0 && matched.flaggedWithoutName == matched.flaggedBrands)
            return Stop{ConversionEnding::NoGenericNames, masterPath, {}};
        if (!writeLines(displayList, matched.lines))
            return Stop{ConversionEnding::DisplayListUnwritable, paths.displayList,
                        displayList.errorString()};
        outcome.linesWritten = matched.lines.size();
        outcome.brandsWithoutName = matched.flaggedWithoutName;
        return std::nullopt;
    }

    // Workbooks supply the lists that have no CSV file; with all three
    // there, none is opened.
    std::optional<Stop> readWorkbooksIfNeeded()
    {
        productCsv = isPresent(paths.productList);
        masterCsv = isPresent(paths.genericNameList);
        exceptionCsv = isPresent(paths.exceptionList);
        if (productCsv && masterCsv && exceptionCsv) {
            outcome.sources.passedOver = FolderWorkbooks::workbookNames(paths.folder);
            return std::nullopt;
        }
        if (auto stop = workbooks.read(paths.folder))
            return stop;
        const PublishedLists::Classified &lists = workbooks.lists;
        if (productCsv)
            for (const PublishedLists::PriceList &priceList : lists.priceLists)
                outcome.sources.passedOver.append(priceList.fileName);
        if (masterCsv && exceptionCsv)
            for (const PublishedLists::Master &master : lists.masters)
                outcome.sources.passedOver.append(master.fileName);
        if ((!masterCsv || !exceptionCsv) && lists.masters.size() > 1)
            return ambiguous(lists.masters.at(0).fileName, lists.masters.at(1).fileName);
        return std::nullopt;
    }

    Stop ambiguous(const QString &first, const QString &second) const
    {
        return {ConversionEnding::AmbiguousWorkbooks, workbooks.path(second),
                translated("%1 と %2").arg(first, second)};
    }

    const PublishedLists::Master *masterWorkbook() const
    {
        const auto &masters = workbooks.lists.masters;
        return masters.isEmpty() ? nullptr : &masters.first();
    }

    std::optional<Stop> readProducts()
    {
        QStringList lines;
        const auto readLines = [this](QIODevice &device) {
            return readProductList(device, checkMessage);
        };
        if (auto stop = productCsv ? readCsvList(paths.productList, readLines, lines)
                                   : productsFromWorkbooks(lines))
            return stop;
        outcome.productLines = lines;
        outcome.sources.productKinds = PublishedLists::productKinds(lines);
        return std::nullopt;
    }

    // The first price-list workbook's header row and the product rows of
    // all of them, in file-name order.
    std::optional<Stop> productsFromWorkbooks(QStringList &lines)
    {
        const QVector<PublishedLists::PriceList> &priceLists = workbooks.lists.priceLists;
        if (priceLists.isEmpty())
            return Stop{ConversionEnding::ListMissing, paths.productList, {}};
        for (int i = 0; i < priceLists.size(); ++i) {
            const PublishedLists::PriceList &priceList = priceLists.at(i);
            for (int j = 0; j < i; ++j)
                for (const QString &kind : priceList.kinds)
                    if (priceLists.at(j).kinds.contains(kind))
                        return ambiguous(priceLists.at(j).fileName, priceList.fileName);
            const int headerRows = i == 0 ? 0 : 1; // later header rows are no products
            if (auto stop = appendSheetRecords(workbooks.path(priceList.fileName), *priceList.sheet,
                                               lines, headerRows))
                return stop;
            outcome.sources.priceListWorkbooks.append(priceList.fileName);
        }
        checkFirstLines(firstRowsCellCounts(priceLists), checkMessage);
        return std::nullopt;
    }

    // The cells of the product list's first two rows: the first workbook's
    // header row, then the first product row.
    static QVector<int> firstRowsCellCounts(const QVector<PublishedLists::PriceList> &priceLists)
    {
        QVector<int> counts;
        for (int i = 0; i < priceLists.size() && counts.size() < checkedProductLines; ++i) {
            const QVector<QStringList> &rows = priceLists.at(i).sheet->rows;
            for (int row = i == 0 ? 0 : 1; row < rows.size() && counts.size() < checkedProductLines;
                 ++row)
                counts.append(rows.at(row).size());
        }
        return counts;
    }

    std::optional<Stop> readExceptions(ExceptionCodes &exceptionCodes)
    {
        QStringList records;
        QString path = paths.exceptionList;
        if (exceptionCsv) {
            if (auto stop = readCsvList(path, readMasterRecords, records))
                return stop;
        } else if (const PublishedLists::Master *master = masterWorkbook();
                   master && master->exceptions) {
            path = workbooks.path(master->fileName);
            if (auto stop = appendSheetRecords(path, *master->exceptions, records))
                return stop;
            outcome.sources.exceptionsWorkbook = master->fileName;
        } else {
            return std::nullopt; // no exception sheet takes part
        }
        exceptionCodes = exceptionCodesFrom(records);
        if (exceptionCodes.isEmpty())
            return Stop{ConversionEnding::NoExceptionCodes, path, {}};
        outcome.exceptionCodes = exceptionCodes.size();
        return std::nullopt;
    }

    std::optional<Stop> readMaster()
    {
        QStringList records;
        masterPath = paths.genericNameList;
        if (masterCsv) {
            if (auto stop = readCsvList(masterPath, readMasterRecords, records))
                return stop;
            outcome.sources.masterDate = PublishedLists::masterDate(records);
        } else if (const PublishedLists::Master *master = masterWorkbook()) {
            masterPath = workbooks.path(master->fileName);
            if (auto stop = appendSheetRecords(masterPath, *master->main, records))
                return stop;
            outcome.sources.masterWorkbook = master->fileName;
            outcome.sources.masterDate = PublishedLists::masterDate(master->main->rows);
        } else {
            return Stop{ConversionEnding::ListMissing, paths.genericNameList, {}};
        }
        outcome.lookupLines = genericNameRecords(records);
        return std::nullopt;
    }

    const ConversionPaths &paths;
    const CheckMessage &checkMessage;
    ConversionOutcome outcome;
    FolderWorkbooks workbooks;
    bool productCsv = false;
    bool masterCsv = false;
    bool exceptionCsv = false;
    QString masterPath;
};
} // namespace

ConversionOutcome runConversion(const ConversionPaths &paths, const CheckMessage &checkMessage)
{
    return Conversion(paths, checkMessage).run();
}
