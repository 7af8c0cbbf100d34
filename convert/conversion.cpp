#include "convert/conversion.h"

#include "convert/matching.h"
#include "data/datafiles.h"
#include "data/datafolder.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace
{
constexpr int checkedProductLines = 2;
constexpr int fewestHeaderCommas = 10;
constexpr int fewestGenericRecordCommas = 6;
} // namespace

ConversionPaths ConversionPaths::inDataFolder()
{
    return {dataFilePath(DataFiles::displayList), dataFilePath(DataFiles::productList),
            dataFilePath(DataFiles::genericNameList)};
}

void readProductList(QIODevice &device, QStringList &lines,
                     const std::function<void(int position, int commas)> &showCheckMessage)
{
    lines.clear();
    QTextStream in(&device);
    for (int position = 0;; ++position) {
        const QString line = in.readLine();
        // Checked before the end of data, so a list of fewer than two lines
        // is reported too.
        const int commas = line.count(QLatin1Char(','));
        if (position < checkedProductLines && commas < fewestHeaderCommas)
            showCheckMessage(position, commas);
        if (line.isNull())
            return;
        lines.append(line);
        if (lines.size() == DataFiles::rawListMaxLines)
            return;
    }
}

void readGenericNameList(QIODevice &device, QStringList &records)
{
    records.clear();
    QTextStream in(&device);
    for (int read = 0; read < DataFiles::rawListMaxLines; ++read) {
        const QString line = in.readLine();
        if (line.isNull())
            return;
        if (line.count(QLatin1Char(',')) >= fewestGenericRecordCommas)
            records.append(line);
    }
}

ConversionResult runConversion(const ConversionPaths &paths, QStringList &productLines,
                               QStringList &lookupLines, int &rowLimit,
                               const ConversionSteps &steps)
{
    // The new list goes to a temporary file beside the old one and replaces
    // it only once complete; a run that ends early discards it and the
    // user's list stays as it was.
    QSaveFile displayList(paths.displayList);
    if (!displayList.open(QIODevice::WriteOnly))
        return ConversionResult::DisplayListUnwritable;

    QFile products(paths.productList);
    if (!products.open(QIODevice::ReadOnly))
        return ConversionResult::ProductListMissing;
    readProductList(products, productLines, steps.showCheckMessage);
    products.close();
    rowLimit = productLines.size();

    QFile generics(paths.genericNameList);
    if (!generics.open(QIODevice::ReadOnly))
        return ConversionResult::GenericListMissing;
    readGenericNameList(generics, lookupLines);
    generics.close();

    steps.clearTable();
    QTextStream out(&displayList);
    matchBrandsToGenerics(productLines, lookupLines,
                          [&out](const QString &line) { out << line << '\n'; });
    out.flush();
    if (out.status() != QTextStream::Ok || !displayList.commit())
        return ConversionResult::WriteFailed;
    return ConversionResult::Completed;
}
