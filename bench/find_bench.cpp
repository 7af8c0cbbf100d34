// Find benchmark: one keystroke's find over the most rows the table holds
// (10,000 lines of the demo's real display list, repeated), worst case: no
// row matches, so every cell of both columns is compared. Cold is the first
// find after a load, which folds every cell once; warm is every find after
// it, also after a sort by either column and after an edit.

#include "app/drugtableview.h"
#include "app/findbar.h"
#include "data/datafiles.h"
#include "data/findfolding.h"
#include "support/testdatafolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
QVector<DisplayRow> tenThousandRows()
{
    const QStringList lines =
        QString::fromUtf8(sampleFile(DataFiles::displayList)).split('\n', Qt::SkipEmptyParts);
    QVector<DisplayRow> rows;
    for (int i = 0; i < DataFiles::displayListMaxLines; ++i) {
        const QString &line = lines.at(i % lines.size());
        rows.append({line.section(',', 0, 0), line.section(',', 1), QDate()});
    }
    return rows;
}

double onceMs(QStandardItemModel &model, const QString &folded, int &found)
{
    QElapsedTimer timer;
    timer.start();
    found = rowsContaining(&model, folded).size();
    return timer.nsecsElapsed() / 1e6;
}

double medianMs(QStandardItemModel &model, const QString &folded, int rounds)
{
    std::vector<double> times;
    int found = 0;
    for (int i = 0; i < rounds; ++i)
        times.push_back(onceMs(model, folded, found));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 51;
    QStandardItemModel model;
    DrugTableView::resetModel(&model);
    DrugTableView::fillModel(&model, tenThousandRows());
    const QString nothing = foldForFind(QStringLiteral("ぞるげんすま")); // in no row

    int found = -1;
    const double cold = onceMs(model, nothing, found);
    const double warm = medianMs(model, nothing, rounds);
    model.sort(1, Qt::DescendingOrder);
    const double sorted = medianMs(model, nothing, rounds);
    model.setData(model.index(0, 0), QStringLiteral("アムロジン錠５ｍｇ"));
    const double edited = medianMs(model, nothing, rounds);
    int amlodipine = 0;
    onceMs(model, foldForFind(QStringLiteral("あむろじん")), amlodipine);

    std::printf("find over %d rows, no match (%d found), median of %d\n", model.rowCount(), found,
                rounds);
    std::printf("  first find after a load (folds every cell) %7.2f ms\n", cold);
    std::printf("  every keystroke after it                   %7.2f ms\n", warm);
    std::printf("  after a sort by the generic name            %7.2f ms\n", sorted);
    std::printf("  after an edit                               %7.2f ms\n", edited);
    std::printf("  (a find that matches: %d rows of あむろじん)\n", amlodipine);
    return 0;
}
