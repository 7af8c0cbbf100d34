#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The conversion's rules written as plainly as they read, sharing no code
// with the fast path: the reference the fast path is checked against.

// The first `maxRecords` records of a sheet saved as CSV, each as its cells:
// read one character at a time, looking for a closing quote by scanning the
// rest of the text.
QVector<QStringList> literalRecords(const QString &text, int maxRecords = 30000);

// The display-list lines for a product list and the texts of the
// generic-name list and of the exception list (a null text: no such file).
// Every product line is split at every visit, every lookup is a first-match
// scan of the generic-name records, every exception lookup a scan of the
// exception records. `brandPositions`, where given, gets the position of
// each line's brand record.
QStringList literalMatching(const QStringList &productLines, const QString &genericListText,
                            const QString &exceptionListText = QString(),
                            QVector<int> *brandPositions = nullptr);
