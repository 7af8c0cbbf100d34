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
// The record of the run that made the display list (see ListRecord).
inline const QString listRecord = QStringLiteral("ippan-record.txt");

constexpr int displayListMaxLines = 10000;
// Lines of the product list, records of the master's two sheets.
constexpr int rawListMaxRecords = 30000;

constexpr qint64 mebibyte = 1024 * 1024;

// Bounds no real list comes near, so that no file can exhaust memory or
// hold the window: the most a spreadsheet cell holds (a longer line or
// cell cannot be a list's); the bytes a raw list may take before its record
// limit, on disk and as text in memory (a real one takes under 3 MB); and
// the bytes the start-up load reads of the display list (a real one is
// under 1 MB).
constexpr int maxCellChars = 32767;
constexpr qint64 rawListMaxBytes = 64 * mebibyte;
constexpr qint64 rawListMaxChars = rawListMaxBytes / 2; // UTF-16 in memory
constexpr qint64 displayListMaxBytes = 8 * mebibyte;
constexpr qint64 listRecordMaxBytes = mebibyte; // a real one is under 100 KB
} // namespace DataFiles
