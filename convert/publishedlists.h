#pragma once

#include "data/workbook.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The lists as they are published: the price list as several workbooks
// (内用薬, 注射薬, 外用薬, and perhaps 歯科用薬剤), the generic-name
// prescription master as one workbook of a main sheet and an exception
// sheet. Which workbook is which is told by content, since the published
// file names change with every date.
namespace PublishedLists
{
// A price-list workbook's sheet: its first row is the list's header.
struct PriceList {
    QString fileName;
    const Workbook::Sheet *sheet = nullptr;
    QStringList kinds; // the 区分 of its products, in the order met
};

// The master's workbook: its main sheet and, where it has one, its
// exception sheet.
struct Master {
    QString fileName;
    const Workbook::Sheet *main = nullptr;
    const Workbook::Sheet *exceptions = nullptr;
};

struct Classified {
    QVector<PriceList> priceLists; // in file-name order
    QVector<Master> masters;
};

// Sorts one read workbook into the lists it holds; a workbook that is none
// of them adds nothing.
void classify(const QString &fileName, const Workbook::Content &content, Classified &into);

// The kinds (区分) of product lines after the header, among 内用薬, 注射薬,
// 外用薬 and 歯科用薬剤, in the order met.
QStringList productKinds(const QStringList &productLines);

// Those of 内用薬, 注射薬 and 外用薬, which a whole price list holds, that
// `kinds` lacks (歯科用薬剤 is published apart and is not missed).
QStringList missingKinds(const QStringList &kinds);

// The date a master's title rows give ("令和7年8月14日適用"), from its rows
// before the header; empty when they hold none.
QString masterDate(const QVector<QStringList> &rows);

// The same from the records of a master sheet saved as CSV.
QString masterDate(const QStringList &records);
} // namespace PublishedLists
