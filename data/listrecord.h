#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QStringList>

#include <optional>

// The record of the "変換" run that made the display list, kept beside it
// in the data folder (ippan-record.txt) and replaced together with it: when
// the run ran, from which sources, of which master date, and the 経過措置
// date of each line whose product has one.
//
// The file is UTF-8 text, a line each, ended by LF. Its first line is
// "ippan list record 1"; then lines of a key, a tab and a value:
//   converted     2026-12-11T15:04:05+09:00   when the run ran (ISO 8601)
//   lines         4243                        the display list's lines
//   list-sha256   <64 hex digits>             the display list's bytes, hashed
//   price-list    tp20250814-01_01.xlsx       a source of the product list, in
//                                             order (or senkou.csv)
//   master        ippanmeishohoumaster_250814.xlsx
//                                             a source of the master (or
//                                             iporg.csv, reigai.csv)
//   master-date   令和7年8月14日適用           the master's date, as its title
//                                             rows give it
//   transitional  12<TAB>2026-03-31           line 12's product may be
//                                             prescribed up to that day
// A record whose hash is not that of the display list beside it is of
// another list (one made by hand, or a run cut short between the two
// files) and is no record of this one. Keys it does not know and values it
// cannot read are passed over.
struct ListRecord {
    QDateTime converted;
    int lines = 0;
    QStringList priceListSources;
    QStringList masterSources;
    QString masterDate;
    QMap<int, QDate> transitionalUntil; // by line, counted from 1
};

// The record's text, for the display list whose bytes are `listBytes`.
QByteArray listRecordText(const ListRecord &record, const QByteArray &listBytes);

// The record in `text`, when it is one and of the list whose bytes are
// `listBytes`.
std::optional<ListRecord> parseListRecord(const QByteArray &text, const QByteArray &listBytes);

// Whether a list of the master date `masterDate` is more than six months
// old on `today`: the lists change several times a year.
bool isOlderThanHalfAYear(const QDate &masterDate, const QDate &today);
