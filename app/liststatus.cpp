#include "app/liststatus.h"

#include "app/translation.h"
#include "data/japanesedates.h"

namespace
{
struct Era {
    const char *name;
    QDate first;
};

// The eras the lists' dates fall in, the latest first.
const Era eras[] = {{"令和", QDate(2019, 5, 1)}, {"平成", QDate(1989, 1, 8)}};

QString conversionDay(const QDateTime &converted)
{
    const QDate day = converted.toLocalTime().date();
    return translated("%1年%2月%3日 変換").arg(day.year()).arg(day.month()).arg(day.day());
}
} // namespace

QString eraDate(const QDate &date)
{
    for (const Era &era : eras) {
        if (date < era.first)
            continue;
        const int year = date.year() - era.first.year() + 1;
        const QString yearText = year == 1 ? translated("元") : QString::number(year);
        return translated("%1%2年%3月%4日")
            .arg(translated(era.name), yearText)
            .arg(date.month())
            .arg(date.day());
    }
    return translated("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString listStatus(int names, const std::optional<ListRecord> &record, const QDate &today)
{
    QString text = translated("%1 件").arg(names);
    if (!record)
        return text;
    if (!record->masterDate.isEmpty())
        text += translated("・一般名処方マスタ %1").arg(record->masterDate);
    if (record->converted.isValid())
        text += translated("（%1）").arg(conversionDay(record->converted));
    // The word comes first: a narrow status bar cuts the end of the text.
    if (isOlderThanHalfAYear(parseJapaneseDate(record->masterDate), today))
        text.prepend(translated("半年以上前の一覧です。新しい一覧を「変換」してください。"));
    return text;
}

QString noListStatus()
{
    return translated("一覧（ippan.csv）がありません。一覧を作るには「変換」を押してください");
}

QString transitionalStatus(const QDate &until, const QDate &today)
{
    if (today > until)
        return translated("経過措置期限切れ（%1）").arg(eraDate(until));
    return translated("経過措置: %1まで").arg(eraDate(until));
}

QString copiedStatus(const QString &copied, const QDate &transitionalUntil, const QDate &today)
{
    QString text = translated("コピーしました: %1").arg(copied);
    if (transitionalUntil.isValid())
        text += translated("。") + transitionalStatus(transitionalUntil, today);
    return text;
}
