#include "data/japanesedates.h"

namespace
{
struct Era {
    QStringView name;
    QChar letter;
    int yearBeforeFirst; // the Gregorian year before the era's first year
};

const Era eras[] = {{u"令和", QLatin1Char('R'), 2018}, {u"平成", QLatin1Char('H'), 1988}};

// The number at `pos` (ASCII or full-width digits), moving `pos` past it;
// -1 where there is none.
int numberAt(QStringView text, qsizetype &pos)
{
    int number = -1;
    for (; pos < text.size() && text.at(pos).isDigit() && number < 10000; ++pos)
        number = qMax(number, 0) * 10 + text.at(pos).digitValue();
    return number;
}

bool skip(QStringView text, qsizetype &pos, QStringView what)
{
    if (!text.mid(pos).startsWith(what))
        return false;
    pos += what.size();
    return true;
}

// One of the separators after a year and a month: 年/月 or a full stop.
bool skipSeparator(QStringView text, qsizetype &pos, QStringView kanji)
{
    return skip(text, pos, kanji) || skip(text, pos, u".") || skip(text, pos, u"．");
}
} // namespace

QDate parseJapaneseDate(QStringView text)
{
    text = text.trimmed();
    for (const Era &era : eras) {
        qsizetype pos = 0;
        if (!skip(text, pos, era.name) && !skip(text, pos, QStringView(&era.letter, 1)))
            continue;
        const int year = skip(text, pos, u"元") ? 1 : numberAt(text, pos);
        if (year < 1 || !skipSeparator(text, pos, u"年"))
            return QDate();
        const int month = numberAt(text, pos);
        if (!skipSeparator(text, pos, u"月"))
            return QDate();
        const int day = numberAt(text, pos);
        return QDate(era.yearBeforeFirst + year, month, day); // invalid where out of range
    }
    return QDate();
}
