#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/rawlists.h"
#include "data/workbook.h"
#include "support/literalmatching.h"
#include "support/packages.h"
#include "support/splitting.h"

#include <QBuffer>
#include <QString>
#include <QTextCodec>
#include <cstdint>
#include <cstdlib>

namespace
{
// The fast reader and the literal one must read the same records and cells.
void compareRecords(const QString &text)
{
    const QStringList fast = Csv::readRecords(text, 30000, DataFiles::maxCellChars).records;
    const QVector<QStringList> literal = literalRecords(text);
    if (fast.size() != literal.size())
        std::abort();
    for (int i = 0; i < fast.size(); ++i)
        if (splitRecord(fast.at(i)) != literal.at(i))
            std::abort();
}

// The bounded file readers take the raw bytes as a file would give them:
// whatever they accept must be what the plain reading gives.
void checkReaders(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QBuffer products;
    products.setData(bytes);
    products.open(QIODevice::ReadOnly);
    QStringList lines;
    if (!readProductList(
            products, utf8, [](int, int) {}, lines) &&
        lines.size() > DataFiles::rawListMaxRecords)
        std::abort();

    QBuffer master;
    master.setData(bytes);
    master.open(QIODevice::ReadOnly);
    QStringList records;
    if (!readMasterRecords(master, utf8, records) &&
        records !=
            Csv::readRecords(QString::fromUtf8(bytes), 30000, DataFiles::maxCellChars).records &&
        !bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE") &&
        !bytes.startsWith("\xFE\xFF"))
        std::abort();
}

// A workbook whose worksheet and shared strings are the fuzzer's bytes:
// the reader must end with sheets or a reason, never fault, and keep its
// bounds.
void checkWorkbook(const QByteArray &sheet, const QByteArray &shared)
{
    QMap<QString, QByteArray> parts = workbookParts(QByteArray(), QByteArray(""));
    parts["xl/worksheets/sheet1.xml"] = sheet;
    parts["xl/sharedStrings.xml"] = shared;
    QBuffer package;
    package.setData(zipPackage(parts));
    package.open(QIODevice::ReadOnly);
    const Workbook::Content content = Workbook::read(package);
    if (content.problem && !content.sheets.isEmpty())
        std::abort();
    for (const Workbook::Sheet &read : content.sheets) {
        if (read.rows.size() > Workbook::maxRows)
            std::abort();
        for (const QStringList &row : read.rows)
            if (row.size() > Workbook::maxColumns || row.size() != read.rows.first().size())
                std::abort();
    }
}
} // namespace

// Input layout: product lines, a NUL byte, the generic-name list's text, a
// NUL byte, the exception list's text; then, after further NUL bytes, a
// worksheet's XML and the shared strings' XML of a workbook. Product lines end at "\n". Without
// a second NUL there is no exception list; without a NUL every line is a
// product line.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> parts = bytes.split('\0');
    const QStringList productLines = QString::fromUtf8(parts.at(0)).split(QLatin1Char('\n'));
    const QString generics = parts.size() > 1 ? QString::fromUtf8(parts.at(1)) : QString("");
    const QString exceptions = parts.size() > 2 ? QString::fromUtf8(parts.at(2)) : QString();

    checkReaders(parts.size() > 1 ? parts.at(1) : parts.at(0));
    if (parts.size() > 3)
        checkWorkbook(parts.at(3), parts.size() > 4 ? parts.at(4) : QByteArray());
    compareRecords(generics);
    if (!exceptions.isNull())
        compareRecords(exceptions);

    const MatchedLines fast = matchBrandsToGenerics(
        productLines,
        genericNameRecords(Csv::readRecords(generics, 30000, DataFiles::maxCellChars).records),
        exceptionCodesFrom(Csv::readRecords(exceptions, 30000, DataFiles::maxCellChars).records));
    QVector<int> literalPositions;
    if (fast.lines != literalMatching(productLines, generics, exceptions, &literalPositions) ||
        fast.brandPositions != literalPositions)
        std::abort();
    return 0;
}
