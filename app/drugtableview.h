#pragma once

#include <QString>

class QObject;
class QStandardItemModel;
class QTableView;

// The drug table: brand names in column 0, generic names in column 1, shown
// by the main window's table view.
namespace DrugTable
{
constexpr int rowCount = 3000;
constexpr int columnCount = 2;
constexpr int columnWidth = 250;
constexpr int startupRowHeight = 25;
constexpr int conversionRowHeight = 24;

// A new model of rowCount x columnCount empty cells with both header items.
QStandardItemModel *createModel(QObject *parent);

// Gives an existing (possibly cleared) model its full size and header items again.
void resetModel(QStandardItemModel *model);

// Reads at most 10000 lines of the display list at `path` into the model in
// file order; `nextRow` ends as the number of lines read. Lines past the
// model's rows are read and counted but not shown. False when the file
// cannot be opened, in which case nothing is touched.
bool loadDisplayList(QStandardItemModel *model, const QString &path, int &nextRow);

// Attaches the model to the view, sorts by brand name ascending and sizes
// columns and rows.
void setupView(QTableView *view, QStandardItemModel *model, int rowHeight);
} // namespace DrugTable
