#pragma once

#include "convert/exceptioncodes.h"

#include <QStringList>
#include <QVector>

// Brand-to-generic matching: how the display list is made.
//
// Inputs. The product list is the drug price list: a header line, then one
// product per line, split at every comma (no quoting); the fields the walk
// reads are named in ProductField, and a field a line lacks reads as empty.
// The generic-name records are the master's main sheet, read as a
// spreadsheet writes CSV: cell 2 is the generic-name code, cell 3 the
// generic name. The exception codes map some products' full codes to
// generic-name codes (see ExceptionCodes).
//
// Selection. The walk visits the product records in file order, from
// position 1. A record whose flag is set ("1", or the published "○") is a
// flagged brand record, whatever its category. A record whose category is
// 先発品 and whose flag is not set is an originator without generics. Every
// other record (a 準先発品 without the flag, a generic, anything else)
// produces no line: a display-list line needs a brand and a generic text.
//
// Lookup. The code looked up for a brand record is the one the exception
// sheet maps its full code to, or else its own code. Its lookup key (the
// code without its last three characters) finds the first generic-name
// record whose code has the same key; a record with an empty code never
// matches. A name holding a comma or a line break would show cut, so it
// counts as not found.
//
// What each kind of line says:
//   brand,<generic name>  the lookup found the brand's generic name;
//   brand,一般名なし       a flagged brand whose lookup found nothing;
//   brand,後発なし         an originator without generics whose lookup found
//                          nothing (no generic product and no generic name).
//
// The run scan. After a flagged brand record A at position k, the scan looks
// at the records from k + 1 on; each record B meets these four tests in
// order:
//   1. repeat: B is flagged and has A's group, secondary key and brand name;
//      it belongs to A, produces no line and the scan moves on;
//   2. foreign stop: B's group differs from A's;
//   3. foreign stop: B is flagged, or B's category is 先発品;
//   4. match stop: B's match text contains B's own group.
// A record that passes all four belongs to A's run and the scan moves on.
// Where the walk goes on:
//   - after a foreign stop at m: at m, so B is examined as a record itself;
//   - after a match stop at m: at m + 1;
//   - when the scan reaches the end of the list: at k + 1 (the walk comes
//     back to the records after A) when the last product line has A's group,
//     is not flagged and is not 先発品; otherwise the walk ends.
// An originator without generics gets no run scan: the walk goes on at k + 1.

// Fields of a product-list line, numbered from 1.
namespace ProductField
{
enum : int {
    Kind = 1,          // 区分: 内用薬, 注射薬, 外用薬 or 歯科用薬剤
    Code = 2,          // 12 characters; its first 9 name ingredient, form, strength
    Group = 3,         // the ingredient; groups neighbouring records
    MatchText = 6,     // searched for the record's own group
    Brand = 8,         // the product name: field 1 of the display list
    Category = 11,     // "先発品" or "準先発品" for brands
    Flag = 12,         // generics exist: "1" or "○"
    SecondaryKey = 13, // the price: tells a repeat of a brand from another of its records
    // 経過措置による使用期限: the last day the product may be prescribed
    // ("R8.3.31まで"), where its listing ends; read for the display list's
    // record, not by the walk
    TransitionalUntil = 14
};
}

struct MatchedLines {
    QStringList lines;           // one display-list line per brand, in order
    QVector<int> brandPositions; // for each line, the position of its brand record
    int flaggedBrands = 0;       // lines made for flagged brands
    int flaggedWithoutName = 0;  // of those, the lines that read 一般名なし
};

// Walks the product list (header at position 0) and makes the display-list
// lines. Pure logic: no files, no widgets.
MatchedLines matchBrandsToGenerics(const QStringList &productLines,
                                   const QStringList &genericRecords,
                                   const ExceptionCodes &exceptionCodes);
