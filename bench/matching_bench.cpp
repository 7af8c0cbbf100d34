// Matching benchmark. Each shape of product list is matched against a
// generic-name list and an exception list, and compared with splitting
// every line of those lists once. The literal reference runs on a smaller
// input for scale. Last, the whole conversion command on files at the
// limits against reading the three files and splitting every record once.

#include "convert/conversion.h"
#include "convert/exceptioncodes.h"
#include "convert/matching.h"
#include "data/csvrecords.h"
#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/rawlists.h"
#include "support/literalmatching.h"
#include "support/splitting.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
constexpr int limit = 30000;
const QString header =
    "区分,コード,成分名,規格,局方,麻薬,追記,品名,メーカー,加算,先発,後発あり,薬価,期限,備考";

struct Lists {
    QStringList products;
    QString genericText;
    QString exceptionText; // null: no exception list
};

QString code(int group, int item)
{
    return QString("%1F%2").arg(1124000 + group, 7, 10, QChar('0')).arg(item, 4, 10, QChar('0'));
}

QString productLine(const QString &code, const QString &ingredient, const QString &matchText,
                    const QString &brand, const QString &category, const QString &flag,
                    const QString &price, const QString &remark = QString())
{
    return QStringList{"内用薬", code, ingredient, "１０ｍｇ１錠", "",    matchText, "",    brand,
                       "製薬",   "",   category,   flag,           price, "",        remark}
        .join(',');
}

// The generic-name list as a spreadsheet saves it: title rows, quoted
// cells with commas, and every 40th strength cell holding a line break.
// Filler records come first, so the first match of most keys sits late.
QString genericText(int groups, int records)
{
    QStringList lines{
        "一般名処方マスタ,,,,,,,,", ",,,,,,,,令和7年8月14日適用",
        "区分,一般名コード,一般名処方の標準的な記載,成分名,規格,加算,例外,最低薬価,備考"};
    const int filler = records - groups;
    for (int i = 0; i < filler; ++i)
        lines << QString("内用薬,9%1ZZZ,【般】別成分%2,別成分,%3,\"加算1,2\",,1.0,")
                     .arg(i, 8, 10, QChar('0'))
                     .arg(i)
                     .arg(i % 40 == 0 ? "\"１錠\n２錠\"" : "１錠");
    for (int g = 0; g < groups && lines.size() < records; ++g)
        lines << QString("内用薬,%1ZZZ,【般】成分%2錠１０ｍｇ,成分%2,規格,\"加算1,2\",,1.0,")
                     .arg(code(g, 0).left(9))
                     .arg(g);
    return lines.join("\r\n") + "\r\n";
}

// The exception sheet at its limit: groups of five rows, the code on the
// first row only, every product of every 50th group mapped.
QString exceptionText(int records)
{
    QStringList lines{"一般名処方マスタ（例外コード表）,,,,,,,,,,,,,,,,"};
    for (int i = 0; lines.size() < records; ++i) {
        const int group = i / 5;
        const QString generic =
            i % 5 == 0 ? QString("%1AZZZ").arg(code(group * 50, 0).left(8)) : QString();
        lines << QString(",%1,,,,%2,,,,名前,,後発品,,,1.0,,").arg(generic, code(group * 50, i % 5));
    }
    return lines.join("\r\n") + "\r\n";
}

// Realistic: groups of five records (a flagged originator, its repeat, two
// generics, the second one's match text holding the ingredient, and an
// unflagged originator of another strength).
Lists realistic(int productCount)
{
    Lists lists;
    lists.products << header;
    for (int i = 0; lists.products.size() < productCount; ++i) {
        const int group = i / 5, slot = i % 5;
        static const char *const categories[] = {"先発品", "先発品", "", "", "先発品"};
        static const char *const flags[] = {"1", "1", "", "", ""};
        const QString ingredient = QString("成分%1").arg(group);
        const QString brand = QString("ブランド錠%1").arg(slot == 1 ? i - 1 : i);
        lists.products << productLine(
            code(group, slot), ingredient, slot == 3 ? ingredient + "錠" : QString(), brand,
            categories[slot], flags[slot], QString::number(10 + group % 7));
    }
    lists.genericText = genericText(productCount / 5 + 1, limit);
    lists.exceptionText = exceptionText(limit);
    return lists;
}

// The walk's worst case: one brand flagged all the way down, then one
// unflagged record of its group, so that a plain walk comes back after
// every record and scans to the end again. `remark` makes the lines long.
Lists revisiting(int productCount, int remarkLength)
{
    Lists lists;
    lists.products << header;
    const QString remark(remarkLength, QChar(u'備'));
    while (lists.products.size() < productCount - 1)
        lists.products << productLine(code(0, 1), "成分", "", "ブランド錠", "先発品", "○", "10.1",
                                      remark);
    lists.products << productLine(code(0, 2), "成分", "", "後発錠", "", "", "5.0", remark);
    lists.genericText = genericText(1, limit);
    return lists;
}

// One flagged originator followed by generics of its group that all pass
// the run scan, up to the end: the walk comes back to every one of them.
Lists longRun(int productCount)
{
    Lists lists;
    lists.products << header
                   << productLine(code(0, 1), "成分", "", "ブランド錠", "先発品", "1", "10.1");
    for (int i = 0; lists.products.size() < productCount; ++i)
        lists.products << productLine(code(0, 2 + i % 9000), "成分", "", QString("後発錠%1").arg(i),
                                      i % 2 ? "準先発品" : "", "", "5.0");
    lists.genericText = genericText(1, limit);
    return lists;
}

// Every record a flagged brand of one group and price, the brand name
// changing every record: each run ends at once on a foreign stop.
Lists alternating(int productCount)
{
    Lists lists;
    lists.products << header;
    for (int i = 0; lists.products.size() < productCount; ++i)
        lists.products << productLine(code(i % 1000, 1), "成分", "",
                                      QString("ブランド錠%1").arg(i % 2), "先発品", "1", "10.1");
    lists.genericText = genericText(1000, limit);
    return lists;
}

// Every generic-name record has the same lookup key.
Lists oneKey(int productCount)
{
    Lists lists;
    lists.products << header;
    for (int i = 0; lists.products.size() < productCount; ++i)
        lists.products << productLine(code(0, i % 9999), QString("成分%1").arg(i), "", "ブランド錠",
                                      "先発品", "1", "10.1");
    QStringList lines;
    for (int i = 0; i < limit; ++i)
        lines << QString("内用薬,%1ZZZ,【般】名%2,成分,規格,加算1,,1.0,")
                     .arg(code(0, 0).left(9))
                     .arg(i);
    lists.genericText = lines.join("\n");
    return lists;
}

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<qint64> ns;
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        work();
        ns.push_back(timer.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

struct Prepared {
    QStringList genericRecords;
    QStringList exceptionRecords;
    ExceptionCodes codes;
};

Prepared prepare(const Lists &lists)
{
    Prepared p;
    p.genericRecords = genericNameRecords(
        Csv::readRecords(lists.genericText, limit, DataFiles::maxCellChars).records);
    p.exceptionRecords =
        Csv::readRecords(lists.exceptionText, limit, DataFiles::maxCellChars).records;
    p.codes = exceptionCodesFrom(p.exceptionRecords);
    return p;
}

int match(const Lists &lists, const Prepared &p)
{
    return matchBrandsToGenerics(lists.products, p.genericRecords,
                                 exceptionCodesFrom(p.exceptionRecords))
        .lines.size();
}

void benchShape(const char *name, const Lists &lists)
{
    const Prepared p = prepare(lists);
    const double split = medianMs(7, [&] {
        for (const QString &line : lists.products)
            splitLine(line);
        for (const QString &record : p.genericRecords)
            splitRecord(record);
        for (const QString &record : p.exceptionRecords)
            splitRecord(record);
    });
    int lines = 0;
    const double matching = medianMs(7, [&] { lines = match(lists, p); });
    const double megabytes = lists.products.join('\n').toUtf8().size() / 1e6;
    std::printf("%-34s %4.1f MB %6d lines  split %7.2f ms  matching %7.2f ms  %5.2fx\n", name,
                megabytes, lines, split, matching, matching / split);
}

void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
}

void benchConversion(const Lists &lists)
{
    QTemporaryDir dir;
    const DataFolder folder(dir.path(), QTextCodec::codecForName("UTF-8"));
    writeText(folder.filePath(DataFiles::productList), lists.products.join("\r\n") + "\r\n");
    writeText(folder.filePath(DataFiles::genericNameList), lists.genericText);
    writeText(folder.filePath(DataFiles::exceptionList), lists.exceptionText);
    const CheckMessage ignore = [](int, int) {};

    const double read = medianMs(11, [&] {
        QFile products, generics, exceptions;
        folder.open(DataFiles::productList, products);
        folder.open(DataFiles::genericNameList, generics);
        folder.open(DataFiles::exceptionList, exceptions);
        QStringList lines, genericRecords, exceptionRecords;
        readProductList(products, folder.codec(), ignore, lines);
        readMasterRecords(generics, folder.codec(), genericRecords);
        readMasterRecords(exceptions, folder.codec(), exceptionRecords);
        for (const QString &line : qAsConst(lines))
            splitLine(line);
        for (const QString &record : qAsConst(genericRecords))
            splitRecord(record);
        for (const QString &record : qAsConst(exceptionRecords))
            splitRecord(record);
    });
    ConversionOutcome outcome;
    const double command = medianMs(11, [&] { outcome = runConversion(folder, ignore); });
    std::printf("conversion command on files at the limits (%d lines written, %d codes mapped)\n",
                outcome.linesWritten, outcome.exceptionCodes.value_or(-1));
    std::printf("  read and split the three lists %8.2f ms\n", read);
    std::printf("  whole command                  %8.2f ms  (%.2fx)\n", command, command / read);
}
} // namespace

int main()
{
    std::printf("matching against splitting the lists once (%d product lines, %d generic-name "
                "records, %d exception records where given)\n",
                limit, limit, limit);
    const Lists real = realistic(limit);
    benchShape("realistic, with exception list", real);
    benchShape("revisiting run", revisiting(limit, 0));
    benchShape("revisiting run, long lines", revisiting(limit, 70));
    benchShape("one long run of generics", longRun(limit));
    benchShape("alternating brands, one price", alternating(limit));
    benchShape("one lookup key for every record", oneKey(limit));

    Lists small = revisiting(3000, 0);
    small.genericText = genericText(1, 100);
    const Prepared p = prepare(small);
    const double literal =
        medianMs(1, [&] { literalMatching(small.products, small.genericText, QString()); });
    const double fast = medianMs(7, [&] { match(small, p); });
    std::printf("revisiting run of 3000 lines: literal reference %8.1f ms, matching %6.2f ms\n",
                literal, fast);

    benchConversion(real);
    return 0;
}
