#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Whole-line splitting for tests and benchmarks, on the program's own
// tokenizers; the program itself picks fields as views and never splits a
// line whole.

// A product-list or display-list line split at every comma.
QStringList splitLine(const QString &line);

// Field `number` (1-based) of a split line; a field the line does not have
// reads as empty text.
QString fieldAt(const QStringList &fields, int number);

// The cells of one spreadsheet CSV record, unquoted.
QStringList splitRecord(QStringView record);
