#pragma once

#include "data/problem.h"

#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

class QIODevice;
class QTextCodec;

// The raw lists as CSV files: the product list (a line a product, split at
// every comma) and the master's two sheets (records as a spreadsheet writes
// them, see Csv). Each is read whole within bounds no real list comes near,
// and decoded with decodeText in `codec`.

// Shows the check message for a product-list line with too few commas; the
// run goes on however it is closed.
using CheckMessage = std::function<void(int position, int commas)>;

constexpr int checkedProductLines = 2;

// The check on the product list's first two lines, given their comma
// counts: a line of 9 commas or fewer shows the check message with its
// position and count, and so does the end of the data where it comes
// before the second line (with none), after which nothing more is checked.
void checkFirstLines(const QVector<int> &commas, const CheckMessage &checkMessage);

// Reads the product list (header first, at most 30000 lines) into `lines`,
// running the check on its first two lines.
std::optional<Problem> readProductList(QIODevice &device, QTextCodec *codec,
                                       const CheckMessage &checkMessage, QStringList &lines);

// Reads the first 30000 records of one of the master's sheets into `records`.
std::optional<Problem> readMasterRecords(QIODevice &device, QTextCodec *codec,
                                         QStringList &records);

// The generic-name records among a main sheet's records: those of seven
// cells or more.
QStringList genericNameRecords(const QStringList &records);
