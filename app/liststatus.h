#pragma once

#include "data/listrecord.h"

#include <QDate>
#include <QString>

#include <optional>

// What the status bar says of the list the table shows, and of a copy.

// The list shown: the number of names and, where its record gives them, the
// master's date and the day of the conversion (「4243 件・一般名処方マスタ
// 令和7年8月14日適用（2026年12月11日 変換）」), after a word where the
// master's date is more than six months before `today`.
QString listStatus(int names, const std::optional<ListRecord> &record, const QDate &today);

// There is no list to show.
QString noListStatus();

// What a copy put on the clipboard (「コピーしました: …」), with the
// brand's 経過措置 where it has one.
QString copiedStatus(const QString &copied, const QDate &transitionalUntil, const QDate &today);

// A brand's 経過措置: 「経過措置: 令和8年3月31日まで」 up to that day,
// 「経過措置期限切れ（令和8年3月31日）」 after it.
QString transitionalStatus(const QDate &until, const QDate &today);

// A date as the lists write it, in the Japanese era: 「令和8年3月31日」.
QString eraDate(const QDate &date);
