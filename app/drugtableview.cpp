#include "app/drugtableview.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableView>

#include <algorithm>

namespace DrugTableView
{

namespace
{
void setHeaderItems(QStandardItemModel *model)
{
    model->setHorizontalHeaderItem(
        0, new QStandardItem(QCoreApplication::translate("MainWindow", "先発名")));
    model->setHorizontalHeaderItem(
        1, new QStandardItem(QCoreApplication::translate("MainWindow", "一般名")));
}

void setCell(QStandardItemModel *model, int row, int column, const QString &text)
{
    model->setData(model->index(row, column), text, Qt::EditRole);
}
} // namespace

QStandardItemModel *createModel(QObject *parent)
{
    auto *model = new QStandardItemModel(minimumRows, columnCount, parent);
    setHeaderItems(model);
    return model;
}

void resetModel(QStandardItemModel *model)
{
    model->clear();
    model->setRowCount(minimumRows);
    model->setColumnCount(columnCount);
    setHeaderItems(model);
}

void fillModel(QStandardItemModel *model, const QVector<DisplayRow> &rows)
{
    if (rows.size() > model->rowCount())
        model->setRowCount(rows.size());
    // The rows go in already in the view's initial order (brand name, stable,
    // plain comparison, as the model's own sort orders them). The view's sort
    // then moves nothing: a sort that moves items leaves their cached
    // positions stale, and every later removal of an item, down to closing
    // the window, becomes a linear search.
    QVector<const DisplayRow *> order;
    order.reserve(rows.size());
    for (const DisplayRow &row : rows)
        order.append(&row);
    std::stable_sort(order.begin(), order.end(), [](const DisplayRow *a, const DisplayRow *b) {
        return a->brand.compare(b->brand, Qt::CaseSensitive) < 0;
    });
    {
        // One change notice for the whole block instead of two per row.
        const QSignalBlocker quiet(model);
        for (int row = 0; row < order.size(); ++row) {
            setCell(model, row, 0, order.at(row)->brand);
            setCell(model, row, 1, order.at(row)->generic);
            if (order.at(row)->transitionalUntil.isValid())
                model->setData(model->index(row, 0), order.at(row)->transitionalUntil,
                               transitionalRole);
        }
    }
    if (!order.isEmpty())
        emit model->dataChanged(model->index(0, 0), model->index(order.size() - 1, 1));
}

void setupView(QTableView *view, QStandardItemModel *model, int rowHeight)
{
    // The rows come in already sorted by brand name. Switching sorting on
    // sorts whatever the view shows at that moment, and sorting by a column
    // sorts again even when nothing changes; with the order set first and
    // the model attached last, neither runs over rows that are in order.
    // Header clicks sort the model as usual afterwards.
    view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    if (!view->isSortingEnabled())
        view->setSortingEnabled(true);
    view->setModel(model);
    view->setColumnWidth(0, columnWidth);
    view->setColumnWidth(1, columnWidth);
    // One call sizes every row; a setRowHeight per row recomputes section
    // positions each time and grows with the square of the row count. The
    // header's own minimum, which follows the font and the style (25 on
    // Windows), would otherwise hold the rows above the height asked for.
    view->verticalHeader()->setMinimumSectionSize(
        qMin(rowHeight, view->verticalHeader()->minimumSectionSize()));
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
}

} // namespace DrugTableView
