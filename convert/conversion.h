#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// Where the conversion reads and writes.
struct ConversionPaths {
    QString displayList;
    QString productList;
    QString genericNameList;

    static ConversionPaths inDataFolder();
};

// What the window contributes to a run: the check message, and emptying the
// table before the new list is written.
struct ConversionSteps {
    std::function<void(int position, int commas)> showCheckMessage;
    std::function<void()> clearTable;
};

enum class ConversionResult {
    DisplayListUnwritable, // nothing changed
    ProductListMissing,    // nothing changed
    GenericListMissing,    // product lines and row limit updated; old list kept
    WriteFailed,           // everything read, table cleared; old list kept
    Completed,             // new display list in place
};

// Reads the product list (header first, at most 30000 lines), calling
// `showCheckMessage` when one of its first two lines has 9 commas or fewer
// or is missing.
void readProductList(QIODevice &device, QStringList &lines,
                     const std::function<void(int position, int commas)> &showCheckMessage);

// Reads the generic-name records (lines with more than five commas) among
// the first 30000 lines.
void readGenericNameList(QIODevice &device, QStringList &records);

// The whole "変換" command: reads both raw lists into `productLines` and
// `lookupLines`, sets `rowLimit` to the number of product lines, matches
// brands to generic names and writes the display list. The old display list
// is replaced only by a complete new one.
ConversionResult runConversion(const ConversionPaths &paths, QStringList &productLines,
                               QStringList &lookupLines, int &rowLimit,
                               const ConversionSteps &steps);
