#pragma once

#include <QString>

// The three comma-separated files in the data folder and the limits that
// apply when they are read.
namespace DataFiles
{
inline const QString displayList = QStringLiteral("ippan.csv");
inline const QString productList = QStringLiteral("senkou.csv");
inline const QString genericNameList = QStringLiteral("iporg.csv");

constexpr int displayListMaxLines = 10000;
constexpr int rawListMaxLines = 30000;
} // namespace DataFiles
