#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Small workbooks made in tests: a zip package of the given parts.
QByteArray zipPackage(const QMap<QString, QByteArray> &parts);

// The parts of a workbook of one sheet named `sheetName`, whose
// worksheet's <sheetData> holds `sheetData` and whose shared strings are
// the <si> items `sharedItems` (no shared-strings part when null).
QMap<QString, QByteArray> workbookParts(const QByteArray &sheetData,
                                        const QByteArray &sharedItems = QByteArray(),
                                        const QString &sheetName = QStringLiteral("Sheet1"));

// A row of inline-string cells, for sheets built in tests; row numbers and
// references are left out, so they count on.
QByteArray inlineRow(const QStringList &cells);
