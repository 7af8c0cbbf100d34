#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/drugtable.h"

#include <QStandardItemModel>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), rowLimit(0), nextRow(0), ui(new Ui::MainWindow), model(nullptr)
{
    ui->setupUi(this);
    model = DrugTable::createModel(this);
    // A missing display list leaves the view without a model: a blank table,
    // no message.
    if (!DrugTable::loadDisplayList(model, dataFilePath(DataFiles::displayList), nextRow))
        return;
    DrugTable::setupView(ui->tableView, model, DrugTable::startupRowHeight);
    rowLimit = DrugTable::rowCount;
}

MainWindow::~MainWindow()
{
    delete ui;
}
