#include "convert/conversion.h"

#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/datafolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace
{
constexpr int checkedProductLines = 2;
constexpr int fewestHeaderCommas = 10;
constexpr int fewestGenericRecordCells = 7;

ConversionOutcome ended(ConversionOutcome outcome, ConversionEnding ending, const QString &path)
{
    outcome.ending = ending;
    outcome.path = path;
    return outcome;
}

std::optional<QStringList> readMasterFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readMasterRecords(file);
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
            dir.filePath(DataFiles::genericNameList), dir.filePath(DataFiles::exceptionList)};
}

ConversionPaths ConversionPaths::inDataFolder()
{
    return inFolder(dataFolder());
}

QStringList readProductList(QIODevice &device, const CheckMessage &checkMessage)
{
    QStringList lines;
    QTextStream in(&device);
    for (int position = 0;; ++position) {
        const QString line = in.readLine();
        // Checked before the end of data, so a list of fewer than two lines
        // is reported too.
        const int commas = line.count(QLatin1Char(','));
        if (position < checkedProductLines && commas < fewestHeaderCommas)
            checkMessage(position, commas);
        if (line.isNull())
            return lines;
        lines.append(line);
        if (lines.size() == DataFiles::rawListMaxRecords)
            return lines;
    }
}

QStringList readMasterRecords(QIODevice &device)
{
    QTextStream in(&device);
    return Csv::readRecords(in.readAll(), DataFiles::rawListMaxRecords);
}

QStringList genericNameRecords(const QStringList &records)
{
    QStringList kept;
    for (const QString &record : records)
        if (Csv::cellCount(record) >= fewestGenericRecordCells)
            kept.append(record);
    return kept;
}

ConversionOutcome runConversion(const ConversionPaths &paths, const CheckMessage &checkMessage)
{
    ConversionOutcome outcome;
    // The new list goes to a temporary file beside the old one and replaces
    // it only once complete; a run that ends early discards it and the
    // user's list stays as it was.
    QSaveFile displayList(paths.displayList);
    if (!displayList.open(QIODevice::WriteOnly))
        return ended(outcome, ConversionEnding::DisplayListUnwritable, paths.displayList);

    QFile products(paths.productList);
    if (!products.open(QIODevice::ReadOnly))
        return ended(outcome, ConversionEnding::ListUnopenable, paths.productList);
    outcome.productLines = readProductList(products, checkMessage);
    products.close();

    const std::optional<QStringList> master = readMasterFile(paths.genericNameList);
    if (!master)
        return ended(outcome, ConversionEnding::ListUnopenable, paths.genericNameList);
    outcome.lookupLines = genericNameRecords(*master);

    ExceptionCodes exceptionCodes;
    if (QFile::exists(paths.exceptionList)) {
        const std::optional<QStringList> exceptions = readMasterFile(paths.exceptionList);
        if (!exceptions)
            return ended(outcome, ConversionEnding::ListUnopenable, paths.exceptionList);
        exceptionCodes = exceptionCodesFrom(*exceptions);
        outcome.exceptionCodes = exceptionCodes.size();
    }

    const QStringList lines =
        matchBrandsToGenerics(*outcome.productLines, *outcome.lookupLines, exceptionCodes);
    if (lines.isEmpty())
        return ended(outcome, ConversionEnding::NothingProduced, paths.productList);
    if (!writeLines(displayList, lines))
        return ended(outcome, ConversionEnding::DisplayListUnwritable, paths.displayList);
    outcome.linesWritten = lines.size();
    return outcome;
}
