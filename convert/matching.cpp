#include "convert/matching.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringView>

namespace
{

// The fields of a product record that the walk uses, as views into the line.
// A field the line does not have reads as empty.
struct ProductRecord {
    QStringView code;      // field 2
    QStringView group;     // field 3
    QStringView matchText; // field 6
    QStringView brand;     // field 8
    QStringView category;  // field 11
    QStringView flag;      // field 12
    QStringView secondary; // field 13
};

// Picks the fields numbered in `numbers` (1-based, ascending) out of a line
// in one pass, without splitting the whole line; missing fields stay empty.
template <int Count>
void fieldsOf(QStringView line, const int (&numbers)[Count], QStringView *out[Count])
{
    int field = 1;
    int start = 0;
    int wanted = 0;
    const int size = int(line.size());
    for (int pos = 0; pos <= size && wanted < Count; ++pos) {
        if (pos < size && line.at(pos) != QLatin1Char(','))
            continue;
        if (field == numbers[wanted])
            *out[wanted++] = line.mid(start, pos - start);
        ++field;
        start = pos + 1;
    }
}

ProductRecord parseProduct(const QString &line)
{
    static const int numbers[] = {2, 3, 6, 8, 11, 12, 13};
    ProductRecord r;
    QStringView *out[] = {&r.code,     &r.group, &r.matchText, &r.brand,
                          &r.category, &r.flag,  &r.secondary};
    fieldsOf<7>(QStringView(line), numbers, out);
    return r;
}

QStringView lookupKeyOf(QStringView code)
{
    return code.size() > 3 ? code.chopped(3) : QStringView();
}

// Lookup key -> generic name of the first record with that key. Records with
// an empty code never enter it. Views point into the caller's lines.
class GenericIndex
{
public:
    explicit GenericIndex(const QStringList &genericLines)
    {
        static const int numbers[] = {2, 3};
        names.reserve(genericLines.size());
        for (const QString &line : genericLines) {
            QStringView code, name;
            QStringView *out[] = {&code, &name};
            fieldsOf<2>(QStringView(line), numbers, out);
            const QStringView key = lookupKeyOf(code);
            if (!code.isEmpty() && !names.contains(key))
                names.insert(key, name);
        }
    }

    const QStringView *find(QStringView key) const
    {
        const auto it = names.constFind(key);
        return it == names.constEnd() ? nullptr : &it.value();
    }

private:
    QHash<QStringView, QStringView> names;
};

struct Texts {
    QString originator = QCoreApplication::translate("MainWindow", "先発品");
    QString noGenericProduct = QCoreApplication::translate("MainWindow", "後発なし");
    QString noGenericName = QStringLiteral(",一般名なし");
};

bool isFlagged(const ProductRecord &r)
{
    return r.flag == QLatin1String("1");
}

// Where the run scan of a flagged brand record ended: the record whose code
// is looked up, and the position at which the walk goes on.
struct RunEnd {
    ProductRecord lookupRecord;
    int next;
};

RunEnd scanRun(const QStringList &products, int k, const ProductRecord &a, const Texts &texts)
{
    const int n = products.size();
    for (int m = k + 1; m < n; ++m) {
        const ProductRecord b = parseProduct(products.at(m));
        const bool sameGroup = b.group == a.group;
        if (isFlagged(b) && sameGroup && b.secondary == a.secondary)
            continue; // a repeat of the brand record
        if (!sameGroup || isFlagged(b) || b.category == texts.originator)
            return {parseProduct(products.at(m - 1)), m}; // foreign stop
        if (b.matchText.contains(b.group))
            return {b, m + 1}; // match stop
    }
    const ProductRecord last = parseProduct(products.at(n - 1));
    // A run that reaches the end inside its own group lets the walk come back
    // to the records after the brand record.
    if (last.group == a.group && !isFlagged(last) && last.category != texts.originator)
        return {last, k + 1};
    return {last, n};
}

QString genericLine(const ProductRecord &brand, const ProductRecord &lookupRecord,
                    const GenericIndex &index, const Texts &texts)
{
    const QStringView *name = index.find(lookupKeyOf(lookupRecord.code));
    if (!name)
        return brand.brand.toString() + texts.noGenericName;
    return brand.brand.toString() + QLatin1Char(',') + name->toString();
}

} // namespace

void matchBrandsToGenerics(const QStringList &productLines, const QStringList &genericLines,
                           const LineSink &sink)
{
    const Texts texts;
    const GenericIndex index(genericLines);
    const int n = productLines.size();
    int k = 1;
    while (k < n) {
        const ProductRecord a = parseProduct(productLines.at(k));
        if (isFlagged(a)) {
            const RunEnd end = scanRun(productLines, k, a, texts);
            sink(genericLine(a, end.lookupRecord, index, texts));
            k = end.next;
            continue;
        }
        // A quasi-originator without the flag is a brand record with nothing
        // to show: no line, since every display-list line needs both fields.
        if (a.category == texts.originator)
            sink(a.brand.toString() + QLatin1Char(',') + texts.noGenericProduct);
        ++k;
    }
}
