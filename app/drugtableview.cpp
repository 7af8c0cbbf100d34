#include "data/drugtable.h"

#include "data/datafiles.h"
#include "data/lines.h"

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextStream>
#include <QVector>

#include <algorithm>

namespace DrugTable
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
    auto *model = new QStandardItemModel(rowCount, columnCount, parent);
    setHeaderItems(model);
    return model;
}

void resetModel(QStandardItemModel *model)
{
    model->setRowCount(rowCount);
    model->setColumnCount(columnCount);
    setHeaderItems(model);
}

bool loadDisplayList(QStandardItemModel *model, const QString &path, int &nextRow)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QTextStream in(&file);
    QVector<QStringList> shown;
    nextRow = 0;
    QString line;
    for (int read = 0; read < DataFiles::displayListMaxLines; ++read) {
        if (!in.readLineInto(&line))
            break;
        // Lines past the model's rows have no cell to go to; they only count.
        if (nextRow < model->rowCount())
            shown.append(splitLine(line));
        ++nextRow;
    }
    // The rows go in already in the view's initial order (brand name, stable,
    // plain comparison, as the model's own sort orders them). The view's sort
    // then moves nothing: a sort that moves items leaves their cached
    // positions stale, and every later removal of an item, down to closing
    // the window, becomes a linear search.
    std::stable_sort(shown.begin(), shown.end(), [](const QStringList &a, const QStringList &b) {
        return fieldAt(a, 1).compare(fieldAt(b, 1), Qt::CaseSensitive) < 0;
    });
    for (int row = 0; row < shown.size(); ++row) {
        setCell(model, row, 0, fieldAt(shown.at(row), 1));
        setCell(model, row, 1, fieldAt(shown.at(row), 2));
    }
    return true;
}

void setupView(QTableView *view, QStandardItemModel *model, int rowHeight)
{
    view->setModel(model);
    // Enabling sorting sorts at once by the header's indicator (descending by
    // default); pointing it at the initial order first spares a full reorder.
    view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    view->sortByColumn(0, Qt::AscendingOrder);
    view->setColumnWidth(0, columnWidth);
    view->setColumnWidth(1, columnWidth);
    // One call sizes every row; a setRowHeight per row recomputes section
    // positions each time and grows with the square of the row count.
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
}

} // namespace DrugTable
