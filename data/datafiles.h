#pragma once

#include <QString>

// The comma-separated files in the data folder and the limits that apply
// when they are read.
namespace DataFiles
{
inline const QString displayList = QStringLiteral("ippan.csv");
inline const QString productList = QStringLiteral("senkou.csv");
inline const QString genericNameList = QStringLiteral("iporg.csv");
// The master's exception sheet; optional.
inline const QString exceptionList = QStringLiteral("reigai.csv");

constexpr int displayListMaxLines = 10000;
// Lines of the product list, records of the master's two sheets.
constexpr int rawListMaxRecords = 30000;
} // namespace DataFiles
