#include "support/literalmatching.h"

#include "data/lines.h"

#include <QCoreApplication>

namespace
{
QString field(const QStringList &fields, int number)
{
    return fieldAt(fields, number);
}

QString lookUp(const QStringList &brand, const QStringList &lookupRecord,
               const QStringList &genericLines)
{
    const QString key = lookupKey(field(lookupRecord, 2));
    for (const QString &line : genericLines) {
        const QStringList g = splitLine(line);
        if (field(g, 2).isEmpty())
            continue;
        if (lookupKey(field(g, 2)) == key)
            return field(brand, 8) + "," + field(g, 3);
    }
    return field(brand, 8) + ",一般名なし";
}
} // namespace

QStringList literalMatching(const QStringList &productLines, const QStringList &genericLines)
{
    const QString originator = QCoreApplication::translate("MainWindow", "先発品");
    const QString quasi = QCoreApplication::translate("MainWindow", "準先発品");
    const QString noGeneric = QCoreApplication::translate("MainWindow", "後発なし");
    QStringList out;
    const int n = productLines.size();
    int k = 1;
    while (k < n) {
        const QStringList a = splitLine(productLines.at(k));
        const bool flagged = field(a, 12) == "1";
        const bool brand = flagged || field(a, 11) == originator || field(a, 11) == quasi;
        if (brand && flagged) {
            QStringList lookupRecord;
            int m = k + 1;
            for (;;) {
                if (m >= n) {
                    const QStringList z = splitLine(productLines.at(n - 1));
                    lookupRecord = z;
                    if (!(field(z, 3) == field(a, 3) && field(z, 12) != "1" &&
                          field(z, 11) != originator))
                        k = n - 1;
                    break;
                }
                const QStringList b = splitLine(productLines.at(m));
                if (field(b, 12) == "1" && field(b, 3) == field(a, 3) &&
                    field(b, 13) == field(a, 13)) {
                    ++m;
                    continue;
                }
                if (field(b, 3) != field(a, 3) || field(b, 12) == "1" ||
                    field(b, 11) == originator) {
                    lookupRecord = splitLine(productLines.at(m - 1));
                    k = m - 1;
                    break;
                }
                if (field(b, 6).contains(field(b, 3))) {
                    lookupRecord = b;
                    k = m;
                    break;
                }
                ++m;
            }
            out << lookUp(a, lookupRecord, genericLines);
        } else if (brand && field(a, 11) == originator) {
            out << field(a, 8) + "," + noGeneric;
        }
        ++k;
    }
    return out;
}
