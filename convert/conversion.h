#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;

// Where the conversion reads and writes.
struct ConversionPaths {
    QString displayList;
    QString productList;
    QString genericNameList;
    QString exceptionList; // optional: a missing file takes no part
    QString folder;        // where workbooks supply the lists that have no CSV file

    // The four files in `folder`; inDataFolder() in the program's data folder.
    static ConversionPaths inFolder(const QString &folder);
    static ConversionPaths inDataFolder();
};

// Shows the check message for a product-list line with too few commas; the
// run goes on however it is closed.
using CheckMessage = std::function<void(int position, int commas)>;

// How a run ended. Every ending but Completed keeps the old display list
// byte for byte.
enum class ConversionEnding {
    Completed,             // the new display list is in place
    DisplayListUnwritable, // it cannot be replaced
    ListMissing,           // neither a CSV file nor a workbook holds a needed list
    ListUnopenable,        // a list is there but cannot be opened
    NotRegularFile,        // a pipe, device, directory or broken link in a list's place
    ReadFailed,            // the system reported an error while reading
    TooLarge,              // a line or cell, or the whole list, beyond any real list
    WrongEncoding,         // not text in the system's encoding (or UTF-8/16 with a BOM)
    NoGenericNames,        // no flagged brand finds a generic name: not the master's main sheet
    NoExceptionCodes,      // the exception list maps no product: not the exception sheet
    NothingProduced,       // the product list gave no line
    BadWorkbook,           // a workbook in the folder cannot be read: not a workbook, damaged
    AmbiguousWorkbooks,    // two workbooks hold the same list; `reason` names both
};

// Where the lists came from, and what the status bar warns of.
struct ConversionSources {
    QStringList priceListWorkbooks; // file names, in order; empty: senkou.csv
    QString masterWorkbook;         // file name; empty: iporg.csv
    QString exceptionsWorkbook;     // file name when its exception sheet took part
    QStringList productKinds;       // the products' 区分, in the order met
    QString masterDate;     // "令和7年8月14日適用"; empty when the title rows hold none
    QStringList passedOver; // workbooks whose lists came from CSV files
};

struct ConversionOutcome {
    ConversionEnding ending = ConversionEnding::Completed;
    QString path;                            // the file the ending is about
    QString reason;                          // the system's words, where it gave any
    std::optional<QStringList> productLines; // when the product list was read
    std::optional<QStringList> lookupLines;  // when the generic-name list was read
    int linesWritten = 0;
    std::optional<int> exceptionCodes; // product codes mapped, when an exception sheet took part
    int brandsWithoutName = 0;         // flagged brands whose line reads 一般名なし
    ConversionSources sources;
};

// A list read, or why it could not be.
struct ListRead {
    ConversionEnding problem = ConversionEnding::Completed;
    QString reason;
    QStringList lines; // lines or records
};

// Reads the product list (header first, at most 30000 lines), calling
// `checkMessage` when one of its first two lines has 9 commas or fewer or
// is missing. Lines, bytes and the decoding are bounded and checked.
ListRead readProductList(QIODevice &device, const CheckMessage &checkMessage);

// The first 30000 records of one of the master's sheets (see Csv), with the
// same bounds and checks.
ListRead readMasterRecords(QIODevice &device);

// The generic-name records among them: those of seven cells or more.
QStringList genericNameRecords(const QStringList &records);

// The whole "変換" command: reads the raw lists, matches brands to generic
// names and replaces the display list with the lines produced. The old list
// is replaced only by a complete new one that holds at least one line and
// could be right (see ConversionEnding).
ConversionOutcome runConversion(const ConversionPaths &paths, const CheckMessage &checkMessage);
