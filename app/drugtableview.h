#pragma once

#include "data/displaylist.h"

#include <QtGlobal>

class QObject;
class QStandardItemModel;
class QTableView;

// The drug table: brand names in column 0, generic names in column 1, shown
// by the main window's table view.
namespace DrugTableView
{
// The model never has fewer rows than this; a longer list gets a row a line.
constexpr int minimumRows = 3000;
constexpr int columnCount = 2;
constexpr int columnWidth = 250;
constexpr int startupRowHeight = 25;
constexpr int conversionRowHeight = 24;
// A brand cell's 経過措置 date (a QDate), where it has one. (Qt::UserRole + 1
// is the find's.)
constexpr int transitionalRole = Qt::UserRole + 2;

// A new model of minimumRows x columnCount empty cells with both header items.
QStandardItemModel *createModel(QObject *parent);

// Empties the model (rows, columns, header items) and gives it its size
// and header items again.
void resetModel(QStandardItemModel *model);

// Writes the rows into an empty model, first growing it in one step when
// they are more than its rows.
void fillModel(QStandardItemModel *model, const QVector<DisplayRow> &rows);

// Attaches the model to the view, sorts by brand name ascending and sizes
// columns and rows.
void setupView(QTableView *view, QStandardItemModel *model, int rowHeight);
} // namespace DrugTableView
