#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Product code -> generic-name code, from the master's exception sheet: the
// products whose generic-name code no code prefix reaches.
using ExceptionCodes = QHash<QString, QString>;

// Reads the mappings out of the exception sheet's records (see Csv). A
// record maps its cell 6, when that is a full product code of 12 ASCII
// letters or digits, to its cell 2, or where that is empty to the cell 2
// of the nearest record above that has one: the sheet fills a group's
// cells on its first row only. The first mapping of a product code wins.
ExceptionCodes exceptionCodesFrom(const QStringList &records);
