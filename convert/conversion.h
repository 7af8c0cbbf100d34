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

    // The four files in `folder`; inDataFolder() in the program's data folder.
    static ConversionPaths inFolder(const QString &folder);
    static ConversionPaths inDataFolder();
};

// Shows the check message for a product-list line with too few commas; the
// run goes on however it is closed.
using CheckMessage = std::function<void(int position, int commas)>;

enum class ConversionEnding {
    Completed,             // the new display list is in place
    DisplayListUnwritable, // the old list is kept
    ListUnopenable,        // a raw list is there but cannot be read; old list kept
    NothingProduced,       // the product list gave no line; old list kept
};

struct ConversionOutcome {
    ConversionEnding ending = ConversionEnding::Completed;
    QString path;                            // the file the ending is about
    std::optional<QStringList> productLines; // when the product list was read
    std::optional<QStringList> lookupLines;  // when the generic-name list was read
    int linesWritten = 0;
    std::optional<int> exceptionCodes; // product codes mapped, when reigai.csv took part
};

// Reads the product list (header first, at most 30000 lines), calling
// `checkMessage` when one of its first two lines has 9 commas or fewer or
// is missing.
QStringList readProductList(QIODevice &device, const CheckMessage &checkMessage);

// The first 30000 records of one of the master's sheets (see Csv).
QStringList readMasterRecords(QIODevice &device);

// The generic-name records among them: those of seven cells or more.
QStringList genericNameRecords(const QStringList &records);

// The whole "変換" command: reads the raw lists, matches brands to generic
// names and replaces the display list with the lines produced. The old list
// is replaced only by a complete new one that holds at least one line.
ConversionOutcome runConversion(const ConversionPaths &paths, const CheckMessage &checkMessage);
