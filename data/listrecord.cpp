#include "data/listrecord.h"

#include <QCryptographicHash>

namespace
{
const QByteArray firstLine = "ippan list record 1";
constexpr int monthsAList = 6;

QByteArray hashOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray line(const char *key, const QString &value)
{
    return QByteArray(key) + '\t' + value.toUtf8() + '\n';
}

void readEntry(ListRecord &record, const QByteArray &key, const QString &value)
{
    if (key == "converted") {
        record.converted = QDateTime::fromString(value, Qt::ISODate);
    } else if (key == "lines") {
        record.lines = value.toInt();
    } else if (key == "price-list") {
        record.priceListSources.append(value);
    } else if (key == "master") {
        record.masterSources.append(value);
    } else if (key == "master-date") {
        record.masterDate = value;
    } else if (key == "transitional") {
        bool ok = false;
        const int number = value.section(QLatin1Char('\t'), 0, 0).toInt(&ok);
        const QDate until = QDate::fromString(value.section(QLatin1Char('\t'), 1, 1), Qt::ISODate);
        if (ok && number > 0 && until.isValid())
            record.transitionalUntil.insert(number, until);
    }
}
} // namespace

QByteArray listRecordText(const ListRecord &record, const QByteArray &listBytes)
{
    QByteArray text = firstLine + '\n';
    // With its offset from UTC, so that the moment reads the same anywhere.
    const QDateTime converted = record.converted.toOffsetFromUtc(record.converted.offsetFromUtc());
    text += line("converted", converted.toString(Qt::ISODate));
    text += line("lines", QString::number(record.lines));
    text += line("list-sha256", QString::fromLatin1(hashOf(listBytes)));
    for (const QString &source : record.priceListSources)
        text += line("price-list", source);
    for (const QString &source : record.masterSources)
        text += line("master", source);
    if (!record.masterDate.isEmpty())
        text += line("master-date", record.masterDate);
    for (auto it = record.transitionalUntil.constBegin(); it != record.transitionalUntil.constEnd();
         ++it)
        text += line("transitional",
                     QString::number(it.key()) + '\t' + it.value().toString(Qt::ISODate));
    return text;
}

std::optional<ListRecord> parseListRecord(const QByteArray &text, const QByteArray &listBytes)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != firstLine)
        return std::nullopt;
    ListRecord record;
    bool ofThisList = false;
    for (const QByteArray &entry : lines.mid(1)) {
        const int tab = entry.indexOf('\t');
        if (tab <= 0)
            continue;
        const QByteArray key = entry.left(tab);
        const QString value = QString::fromUtf8(entry.mid(tab + 1)).trimmed();
        if (key == "list-sha256")
            ofThisList = value.toLatin1() == hashOf(listBytes);
        else
            readEntry(record, key, value);
    }
    if (!ofThisList)
        return std::nullopt;
    return record;
}

bool isOlderThanHalfAYear(const QDate &masterDate, const QDate &today)
{
    return masterDate.isValid() && masterDate.addMonths(monthsAList) < today;
}
