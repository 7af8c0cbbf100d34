#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/drugtable.h"

#include "convert/conversion.h"

#include <QMessageBox>
#include <QStandardItemModel>

namespace
{
// A notice that the product list looks wrong; the conversion goes on
// whichever way it is closed.
void showCheckMessage(int position, int commas)
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setText(QString::number(position) + QStringLiteral(",=") + QString::number(commas));
    box.exec();
}
} // namespace

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

void MainWindow::on_pushButton_clicked()
{
    ConversionSteps steps;
    steps.showCheckMessage = showCheckMessage;
    steps.clearTable = [this] { model->clear(); };
    const ConversionResult result =
        runConversion(ConversionPaths::inDataFolder(), productLines, lookupLines, rowLimit, steps);
    if (result != ConversionResult::Completed && result != ConversionResult::WriteFailed)
        return; // ended before the table was touched
    // Show what the display list now holds: the new list, or the old one
    // when the new one could not be written.
    DrugTable::resetModel(model);
    DrugTable::loadDisplayList(model, dataFilePath(DataFiles::displayList), nextRow);
    DrugTable::setupView(ui->tableView, model, DrugTable::conversionRowHeight);
}
