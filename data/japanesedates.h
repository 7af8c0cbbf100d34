#pragma once

#include <QDate>
#include <QStringView>

// Dates as the lists write them, in the Japanese era: "令和7年8月14日適用"
// in the master's title rows, "R8.3.31まで" in the price list's column of
// 経過措置 (the last day a product may be prescribed). The era is 令和 (R)
// or 平成 (H), its first year 元年 or 1; digits may be full-width; text
// after the day is passed over. An invalid date for anything else.
QDate parseJapaneseDate(QStringView text);
