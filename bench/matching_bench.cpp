// Matching benchmark: the brand-to-generic matching at the limits (30000
// product lines, 30000 generic-name lines, most lookups hitting late
// records) against splitting every line of both lists once, and against the
// literal first-match scan on a smaller input. Then the whole conversion
// command on files at the limits against only reading both files.

#include "convert/conversion.h"
#include "convert/matching.h"
#include "data/lines.h"
#include "support/literalmatching.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
struct Lists {
    QStringList products;
    QStringList generics;
};

QString code(int group, int item)
{
    return QString("%1F%2").arg(1124000 + group, 7, 10, QChar('0')).arg(item, 4, 10, QChar('0'));
}

// Groups of five records: an originator flagged "1", a repeat, two generics
// (the second one's match text holds the ingredient) and an unflagged
// originator of another strength. The generic-name list puts filler records
// first, so the first match of most keys sits late in the list.
Lists makeLists(int productCount, int genericCount)
{
    Lists lists;
    lists.products
        << "区分,コード,成分名,規格,局方,麻薬,追記,品名,メーカー,加算,先発,後発あり,薬価,期限,備考";
    for (int i = 0; lists.products.size() < productCount; ++i) {
        const int group = i / 5;
        const QString ingredient = QString("成分%1").arg(group);
        const QString price = QString::number(10 + group % 7);
        static const char *const categories[] = {"先発品", "先発品", "", "", "先発品"};
        static const char *const flags[] = {"1", "1", "", "", ""};
        const int slot = i % 5;
        const QString matchText = slot == 3 ? ingredient + "錠" : QString();
        lists.products << QStringList{"内用薬",
                                      code(group, slot),
                                      ingredient,
                                      "１０ｍｇ１錠",
                                      "",
                                      matchText,
                                      "",
                                      QString("ブランド錠%1").arg(i),
                                      "製薬",
                                      "",
                                      categories[slot],
                                      flags[slot],
                                      slot == 1 ? price : price + "0",
                                      "",
                                      ""}
                              .join(',');
    }
    const int groups = productCount / 5 + 1;
    const int filler = genericCount - groups;
    for (int i = 0; i < filler; ++i)
        lists.generics << QString("内用薬,9%1ZZZ,【般】別成分%2,別成分,規格,1,,1.0,")
                              .arg(i, 8, 10, QChar('0'))
                              .arg(i);
    for (int g = 0; g < groups && lists.generics.size() < genericCount; ++g)
        lists.generics << QString("内用薬,%1ZZZ,【般】成分%2錠１０ｍｇ,成分%2,規格,1,,1.0,")
                              .arg(code(g, 0).left(9))
                              .arg(g);
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

int fastMatch(const Lists &lists)
{
    int lines = 0;
    matchBrandsToGenerics(lists.products, lists.generics, [&lines](const QString &) { ++lines; });
    return lines;
}
void writeLines(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write((lines.join("\r\n") + "\r\n").toUtf8());
}

void benchConversion(const Lists &lists)
{
    QTemporaryDir dir;
    const ConversionPaths paths{dir.filePath("ippan.csv"), dir.filePath("senkou.csv"),
                                dir.filePath("iporg.csv")};
    writeLines(paths.productList, lists.products);
    writeLines(paths.genericNameList, lists.generics);
    const ConversionSteps steps{[](int, int) {}, [] {}};

    const double read = medianMs(11, [&] {
        QStringList products, generics;
        QFile productFile(paths.productList), genericFile(paths.genericNameList);
        productFile.open(QIODevice::ReadOnly);
        genericFile.open(QIODevice::ReadOnly);
        readProductList(productFile, products, steps.showCheckMessage);
        readGenericNameList(genericFile, generics);
    });
    const double command = medianMs(11, [&] {
        QStringList products, generics;
        int rowLimit = 0;
        runConversion(paths, products, generics, rowLimit, steps);
    });
    std::printf("conversion command on files at the limits\n");
    std::printf("  read both lists        %8.2f ms\n", read);
    std::printf("  whole command          %8.2f ms  (%.2fx the reading)\n", command,
                command / read);
}
} // namespace

int main()
{
    const Lists full = makeLists(30000, 30000);
    int found = 0;
    int produced = 0;
    matchBrandsToGenerics(full.products, full.generics, [&](const QString &line) {
        ++produced;
        found += line.contains(QStringLiteral("【般】"));
    });
    std::printf("limits: %d product lines, %d generic-name lines, %d lines produced, "
                "%d with a generic name found\n",
                int(full.products.size()), int(full.generics.size()), produced, found);

    const double split = medianMs(11, [&] {
        for (const QString &line : full.products)
            splitLine(line);
        for (const QString &line : full.generics)
            splitLine(line);
    });
    const double match = medianMs(11, [&] { fastMatch(full); });
    std::printf("  split every line once  %8.2f ms\n", split);
    std::printf("  matching               %8.2f ms  (%.2fx the split)\n", match, match / split);

    const Lists small = makeLists(3000, 3000);
    const double literal = medianMs(3, [&] { literalMatching(small.products, small.generics); });
    const double fastSmall = medianMs(11, [&] { fastMatch(small); });
    std::printf("smaller input: 3000 x 3000\n");
    std::printf("  literal scan           %8.2f ms\n", literal);
    std::printf("  matching               %8.2f ms  (%.0fx faster)\n", fastSmall,
                literal / fastSmall);

    benchConversion(full);
    return 0;
}
