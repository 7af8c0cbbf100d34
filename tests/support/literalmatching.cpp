#include "support/literalmatching.h"

#include <QCoreApplication>

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
    return field(fields, 12) == "1" || field(fields, 12) == "○";
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

QString lookUp(const QStringList &brand, const QVector<QStringList> &generics,
               const QVector<QStringList> &exceptions)
{
    QString code = mappedCode(field(brand, 2), exceptions);
    if (code.isNull())
        code = field(brand, 2);
    for (const QStringList &g : generics) {
        if (g.size() < 7 || field(g, 2).isEmpty() || keyOf(field(g, 2)) != keyOf(code))
            continue;
        const QString name = field(g, 3);
        if (name.contains(',') || name.contains('\n') || name.contains('\r'))
            break;
        return field(brand, 8) + "," + name;
    }
    return field(brand, 8) + ",一般名なし";
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
                            const QString &exceptionListText)
{
    const QString originator = QCoreApplication::translate("MainWindow", "先発品");
    const QString quasi = QCoreApplication::translate("MainWindow", "準先発品");
    const QString noGeneric = QCoreApplication::translate("MainWindow", "後発なし");
    const QVector<QStringList> generics = literalRecords(genericListText);
    const QVector<QStringList> exceptions =
        exceptionListText.isNull() ? QVector<QStringList>() : literalRecords(exceptionListText);
    QStringList out;
    const int n = productLines.size();
    int k = 1;
    while (k < n) {
        const QStringList a = plainSplit(productLines.at(k));
        const bool brand = flagged(a) || field(a, 11) == originator || field(a, 11) == quasi;
        if (brand && flagged(a)) {
            int m = k + 1;
            for (;;) {
                if (m >= n) {
                    const QStringList z = plainSplit(productLines.at(n - 1));
                    if (!(field(z, 3) == field(a, 3) && !flagged(z) && field(z, 11) != originator))
                        k = n - 1;
                    break;
                }
                const QStringList b = plainSplit(productLines.at(m));
                if (flagged(b) && field(b, 3) == field(a, 3) && field(b, 13) == field(a, 13) &&
                    field(b, 8) == field(a, 8)) {
                    ++m;
                    continue;
                }
                if (field(b, 3) != field(a, 3) || flagged(b) || field(b, 11) == originator) {
                    k = m - 1;
                    break;
                }
                if (field(b, 6).contains(field(b, 3))) {
                    k = m;
                    break;
                }
                ++m;
            }
            out << lookUp(a, generics, exceptions);
        } else if (brand && field(a, 11) == originator) {
            out << field(a, 8) + "," + noGeneric;
        }
        ++k;
    }
    return out;
}
