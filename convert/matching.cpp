#include "convert/matching.h"

#include "data/csvrecords.h"
#include "data/lines.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringBuilder>
#include <QStringView>

#include <deque>
#include <vector>

namespace
{

struct Texts {
    QString originator = QCoreApplication::translate("MainWindow", "先発品");
    QString noGenericProduct = QCoreApplication::translate("MainWindow", "後発なし");
    QString noGenericName = QStringLiteral(",一般名なし");
};

// The generics flag as the list is saved: "1", or the published list's "○".
bool isFlag(QStringView flag)
{
    return flag == QLatin1String("1") || flag == QStringView(u"\u25CB");
}

// The fields of a product record that the walk uses, as views into the line.
struct ProductRecord {
    QStringView code;
    QStringView group;
    QStringView matchText;
    QStringView brand;
    bool originator;
    bool flagged;
    QStringView secondary;
};

std::vector<ProductRecord> parseProducts(const QStringList &lines, const Texts &texts)
{
    using namespace ProductField;
    static const int numbers[] = {Code, Group, MatchText, Brand, Category, Flag, SecondaryKey};
    std::vector<ProductRecord> records;
    records.reserve(lines.size());
    for (const QString &line : lines) {
        QStringView code, group, matchText, brand, category, flag, secondary;
        QStringView *fields[] = {&code, &group, &matchText, &brand, &category, &flag, &secondary};
        pickFields(line, numbers, fields);
        records.push_back(
            {code, group, matchText, brand, category == texts.originator, isFlag(flag), secondary});
    }
    return records;
}

// What a run scan compares a record with: a repeat has the brand's group,
// secondary key and brand name.
struct RunKey {
    QStringView group;
    QStringView secondary;
    QStringView brand;
    bool operator==(const RunKey &o) const
    {
        return group == o.group && secondary == o.secondary && brand == o.brand;
    }
};

uint qHash(const RunKey &key, uint seed = 0)
{
    return ::qHash(key.group, seed) ^ ::qHash(key.secondary, seed * 31 + 1) ^
           ::qHash(key.brand, seed * 131 + 7);
}

enum class Stop { Foreign, Match, End };

struct ScanResult {
    Stop stop;
    int at; // position of the stopping record; the list's size at the end
};

// The run scan of the brand records. A scan depends only on where it starts
// and on the brand's run key, and passes over every record before its stop,
// so a scan for the same key that starts anywhere in that stretch ends at
// the same stop. The walk comes back into a scanned stretch only after a
// scan that reached the end of the list; remembering those per key keeps
// the walk linear there.
class RunScanner
{
public:
    explicit RunScanner(const std::vector<ProductRecord> &records) : records(records) {}

    // Where the walk goes on after the flagged brand record at k.
    int nextAfter(int k)
    {
        const ProductRecord &a = records.at(k);
        const ScanResult end = scan(k + 1, {a.group, a.secondary, a.brand});
        if (end.stop == Stop::Foreign)
            return end.at;
        if (end.stop == Stop::Match)
            return end.at + 1;
        // A run that reaches the end inside its own group lets the walk come
        // back to the records after the brand record.
        const ProductRecord &last = records.back();
        if (last.group == a.group && !last.flagged && !last.originator)
            return k + 1;
        return int(records.size());
    }

private:
    struct Remembered {
        int from;
        ScanResult result;
    };

    ScanResult scan(int from, const RunKey &key)
    {
        const auto it = remembered.constFind(key);
        if (it != remembered.constEnd() && it->from <= from && from <= it->result.at)
            return it->result;
        const ScanResult result = scanFresh(from, key);
        if (result.stop == Stop::End)
            remembered.insert(key, {from, result});
        return result;
    }

    ScanResult scanFresh(int from, const RunKey &key) const
    {
        for (int m = from; m < int(records.size()); ++m) {
            const ProductRecord &b = records.at(m);
            const bool sameGroup = b.group == key.group;
            if (b.flagged && sameGroup && b.secondary == key.secondary && b.brand == key.brand)
                continue; // a repeat of the brand record
            if (!sameGroup || b.flagged || b.originator)
                return {Stop::Foreign, m};
            if (b.matchText.contains(b.group))
                return {Stop::Match, m};
        }
        return {Stop::End, int(records.size())};
    }

    const std::vector<ProductRecord> &records;
    QHash<RunKey, Remembered> remembered;
};

// Lookup key -> generic name of the first record with that key. Records with
// an empty code never enter it. Keys and names are views into the records,
// or into unquoted copies kept here for the few cells that were quoted.
class GenericIndex
{
public:
    explicit GenericIndex(const QStringList &records)
    {
        names.reserve(records.size());
        for (const QString &record : records) {
            QString codeStorage, nameStorage;
            QStringView code, name;
            Csv::forEachCell(record, [&](int number, QStringView raw) {
                if (number == 2)
                    code = Csv::cellView(raw, codeStorage);
                else if (number == 3)
                    name = Csv::cellView(raw, nameStorage);
                return number < 3;
            });
            if (code.isEmpty())
                continue;
            if (!codeStorage.isNull())
                code = keep(codeStorage);
            if (!nameStorage.isNull())
                name = keep(nameStorage);
            const QStringView key = lookupKey(code);
            if (!names.contains(key))
                names.insert(key, name);
        }
    }

    const QStringView *find(QStringView key) const
    {
        const auto it = names.constFind(key);
        return it == names.constEnd() ? nullptr : &it.value();
    }

private:
    QStringView keep(const QString &text)
    {
        unquoted.push_back(text);
        return unquoted.back();
    }

    QHash<QStringView, QStringView> names;
    std::deque<QString> unquoted; // stays put as it grows
};

// A display-list line holds one comma and no line break, so a name with
// either would show cut or split: no name is safer than part of one.
bool fitsDisplayList(QStringView name)
{
    for (const QChar c : name)
        if (c == QLatin1Char(',') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return false;
    return true;
}

class Lookup
{
public:
    Lookup(const QStringList &genericRecords, const ExceptionCodes &exceptionCodes)
        : index(genericRecords), exceptionCodes(exceptionCodes)
    {
    }

    // The brand's own generic name: through the exception sheet's code when
    // it maps the brand's code, else through the brand's code.
    const QStringView *nameFor(QStringView code) const
    {
        QStringView genericCode = code;
        if (!exceptionCodes.isEmpty()) {
            const auto mapped = exceptionCodes.constFind(code.toString());
            if (mapped != exceptionCodes.constEnd())
                genericCode = mapped.value();
        }
        const QStringView *name = index.find(lookupKey(genericCode));
        return name && fitsDisplayList(*name) ? name : nullptr;
    }

private:
    GenericIndex index;
    const ExceptionCodes &exceptionCodes;
};

} // namespace

MatchedLines matchBrandsToGenerics(const QStringList &productLines,
                                   const QStringList &genericRecords,
                                   const ExceptionCodes &exceptionCodes)
{
    const Texts texts;
    const std::vector<ProductRecord> records = parseProducts(productLines, texts);
    const Lookup lookup(genericRecords, exceptionCodes);
    RunScanner runs(records);
    MatchedLines matched;
    QStringList &lines = matched.lines;
    int k = 1;
    while (k < int(records.size())) {
        const ProductRecord &a = records.at(k);
        if (a.flagged) {
            const QStringView *name = lookup.nameFor(a.code);
            ++matched.flaggedBrands;
            if (name) {
                lines.append(a.brand % QLatin1Char(',') % *name);
            } else {
                lines.append(a.brand % texts.noGenericName);
                ++matched.flaggedWithoutName;
            }
            matched.brandPositions.append(k);
            k = runs.nextAfter(k);
            continue;
        }
        // Some originators have no generic product yet do have an official
        // generic name; the master is asked before "後発なし" is written.
        if (a.originator) {
            const QStringView *name = lookup.nameFor(a.code);
            const QStringView generic = name ? *name : QStringView(texts.noGenericProduct);
            lines.append(a.brand % QLatin1Char(',') % generic);
            matched.brandPositions.append(k);
        }
        // A quasi-originator without the flag, like any other record, makes
        // no line.
        ++k;
    }
    return matched;
}
