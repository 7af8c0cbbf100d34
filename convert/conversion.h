#pragma once

#include "data/problem.h"
#include "data/rawlists.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class DataFolder;

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
    // Why the run ended early, keeping the old display list byte for byte;
    // none when the new list is in place.
    std::optional<Problem> problem;
    int linesWritten = 0;
    std::optional<int> exceptionCodes; // product codes mapped, when an exception sheet took part
    int brandsWithoutName = 0;         // flagged brands whose line reads 一般名なし
    // The folder's encoding, where a line could not be written in it and the
    // display list went in UTF-8 instead; empty otherwise.
    QString writtenInUtf8Instead;
    ConversionSources sources;

    bool completed() const { return !problem; }
};

// The lines a run read, for a caller that keeps them: the product list's
// lines once it was read, the generic-name records once the master was.
struct ReadLines {
    std::optional<QStringList> productLines;
    std::optional<QStringList> genericRecords;
};

// The whole "変換" command on the lists in `folder`: reads the raw lists
// (each from its CSV file, or else from the folder's workbooks), matches
// brands to generic names and replaces the display list with the lines
// produced. The old list is replaced only by a complete new one that holds
// at least one line and could be right, and with it the list's record (see
// ListRecord), made at `now`. What was read goes to `read` where one is
// given.
ConversionOutcome runConversion(const DataFolder &folder, const CheckMessage &checkMessage,
                                ReadLines *read = nullptr,
                                const QDateTime &now = QDateTime::currentDateTime());
