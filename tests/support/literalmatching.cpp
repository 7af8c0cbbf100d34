#include "support/literalmatching.h"

#include "convert/matching.h"

#include <QCoreApplication>

#include <optional>

namespace
{
QString field(const QStringList &fields, int number)
{
    return number <= fields.size() ? fields.at(number - 1) : QString();
}

QStringList plainSplit(const QString &line)
{
    return line.split(',', Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString keyOf(QString code)
{
    code.chop(3);
    return code;
}

bool flagged(const QStringList &fields)
{
    return field(fields, ProductField::Flag) == "1" || field(fields, ProductField::Flag) == "○";
}

// Whether a lone quote (one not doubled) comes anywhere from `from` on.
bool closingQuoteFollows(const QString &text, int from)
{
    for (int i = from; i < text.size(); ++i) {
        if (text[i] != '"')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '"')
            ++i;
        else
            return true;
    }
    return false;
}

bool isFullProductCode(const QString &code)
{
    if (code.size() != 12)
        return false;
    for (QChar c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

// The generic-name code the exception records map `productCode` to; null
// when none does.
QString mappedCode(const QString &productCode, const QVector<QStringList> &exceptions)
{
    QString groupCode;
    for (const QStringList &record : exceptions) {
        if (!field(record, 2).isEmpty())
            groupCode = field(record, 2);
        if (!groupCode.isEmpty() && isFullProductCode(field(record, 6)) &&
            field(record, 6) == productCode)
            return groupCode;
    }
    return QString();
}

// The brand's generic name, or nothing when none is found or it would not
// fit a display-list line.
std::optional<QString> genericNameOf(const QStringList &brand, const QVector<QStringList> &generics,
                                     const QVector<QStringList> &exceptions)
{
    using namespace ProductField;
    QString code = mappedCode(field(brand, Code), exceptions);
    if (code.isNull())
        code = field(brand, Code);
    for (const QStringList &record : generics) {
        const QString genericCode = field(record, 2);
        if (record.size() < 7 || genericCode.isEmpty() || keyOf(genericCode) != keyOf(code))
            continue;
        const QString name = field(record, 3);
        if (name.contains(',') || name.contains('\n') || name.contains('\r'))
            return std::nullopt;
        return name;
    }
    return std::nullopt;
}
} // namespace

QVector<QStringList> literalRecords(const QString &text, int maxRecords)
{
    QVector<QStringList> records;
    int pos = 0;
    const int n = text.size();
    while (pos < n && records.size() < maxRecords) {
        QStringList cells;
        for (;;) {
            QString cell;
            if (pos < n && text[pos] == '"' && closingQuoteFollows(text, pos + 1)) {
                for (++pos;; ++pos) {
                    if (text[pos] == '"' && pos + 1 < n && text[pos + 1] == '"') {
                        cell += '"';
                        ++pos;
                    } else if (text[pos] == '"') {
                        ++pos;
                        break;
                    } else {
                        cell += text[pos];
                    }
                }
            }
            bool lastWasCr = false;
            while (pos < n && text[pos] != ',' && text[pos] != '\n') {
                lastWasCr = text[pos] == '\r';
                cell += text[pos++];
            }
            if (pos < n && text[pos] == ',') {
                cells << cell;
                ++pos;
                continue;
            }
            if (pos < n && lastWasCr) // CRLF
                cell.chop(1);
            cells << cell;
            ++pos; // past the line feed, or past the end
            break;
        }
        records << cells;
    }
    return records;
}

QStringList literalMatching(const QStringList &productLines, const QString &genericListText,
                            const QString &exceptionListText, QVector<int> *brandPositions)
{
    using namespace ProductField;
    const QString originator = QCoreApplication::translate("MainWindow", "先発品");
    const QString quasiOriginator = QCoreApplication::translate("MainWindow", "準先発品");
    const QString noGenericProduct = QCoreApplication::translate("MainWindow", "後発なし");
    const QVector<QStringList> generics = literalRecords(genericListText);
    const QVector<QStringList> exceptions =
        exceptionListText.isNull() ? QVector<QStringList>() : literalRecords(exceptionListText);
    QStringList lines;
    QVector<int> positions;
    const int n = productLines.size();
    int k = 1;
    while (k < n) {
        const int brandAt = k;
        const QStringList brand = plainSplit(productLines.at(k));
        const bool brandRecord = flagged(brand) || field(brand, Category) == originator ||
                                 field(brand, Category) == quasiOriginator;
        if (brandRecord && flagged(brand)) {
            // The run scan: where the walk goes on.
            int m = k + 1;
            for (;;) {
                if (m >= n) {
                    const QStringList last = plainSplit(productLines.at(n - 1));
                    const bool walkComesBack = field(last, Group) == field(brand, Group) &&
                                               !flagged(last) &&
                                               field(last, Category) != originator;
                    if (!walkComesBack)
                        k = n - 1;
                    break;
                }
                const QStringList scanned = plainSplit(productLines.at(m));
                const bool repeat = flagged(scanned) &&
                                    field(scanned, Group) == field(brand, Group) &&
                                    field(scanned, SecondaryKey) == field(brand, SecondaryKey) &&
                                    field(scanned, Brand) == field(brand, Brand);
                if (repeat) {
                    ++m;
                    continue;
                }
                const bool foreignStop = field(scanned, Group) != field(brand, Group) ||
                                         flagged(scanned) || field(scanned, Category) == originator;
                if (foreignStop) {
                    k = m - 1;
                    break;
                }
                const bool matchStop = field(scanned, MatchText).contains(field(scanned, Group));
                if (matchStop) {
                    k = m;
                    break;
                }
                ++m;
            }
            const std::optional<QString> name = genericNameOf(brand, generics, exceptions);
            lines << field(brand, Brand) + "," + name.value_or("一般名なし");
            positions << brandAt;
        } else if (brandRecord && field(brand, Category) == originator) {
            const std::optional<QString> name = genericNameOf(brand, generics, exceptions);
            lines << field(brand, Brand) + "," + name.value_or(noGenericProduct);
            positions << brandAt;
        }
        ++k;
    }
    if (brandPositions)
        *brandPositions = positions;
    return lines;
}
