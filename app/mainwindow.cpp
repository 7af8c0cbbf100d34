#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "data/datafiles.h"
#include "data/datafolder.h"
#include "data/drugtable.h"

#include "convert/conversion.h"

#include <QClipboard>
#include <QGuiApplication>
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

constexpr int lookAheadRows = 15;

// First of rows 0 to rowLimit - 1 whose brand name begins with `key`;
// rowLimit when none does, 0 when there is no row to examine.
int firstRowStartingWith(const QAbstractItemModel *model, const QString &key, int rowLimit)
{
    if (rowLimit <= 0)
        return 0;
    for (int row = 0; row < rowLimit; ++row) {
        const QString brand = model->index(row, 0).data(Qt::DisplayRole).toString();
        if (brand.indexOf(key, 0, Qt::CaseSensitive) == 0)
            return row;
    }
    return rowLimit;
}

QString cellText(const QModelIndex &index)
{
    return index.data(Qt::DisplayRole).toString();
}

void copyToClipboard(const QString &text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
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

// Each index button hands its own caption, looked up like the caption it
// shows, to the jump.
#define INDEX_SLOT(number, caption)                                                                \
    void MainWindow::on_pushButton_##number##_clicked()                                            \
    {                                                                                              \
        jumpToInitial(tr(caption));                                                                \
    }

INDEX_SLOT(2, "ア")
INDEX_SLOT(3, "イ")
INDEX_SLOT(4, "ウ")
INDEX_SLOT(5, "エ")
INDEX_SLOT(6, "オ")
INDEX_SLOT(7, "カ")
INDEX_SLOT(8, "キ")
INDEX_SLOT(9, "ク")
INDEX_SLOT(10, "ケ")
INDEX_SLOT(11, "コ")
INDEX_SLOT(12, "サ")
INDEX_SLOT(13, "シ")
INDEX_SLOT(14, "ス")
INDEX_SLOT(15, "セ")
INDEX_SLOT(16, "ソ")
INDEX_SLOT(17, "タ")
INDEX_SLOT(18, "チ")
INDEX_SLOT(19, "ツ")
INDEX_SLOT(20, "テ")
INDEX_SLOT(21, "ト")
INDEX_SLOT(22, "ナ")
INDEX_SLOT(23, "ニ")
INDEX_SLOT(24, "ヌ")
INDEX_SLOT(25, "ネ")
INDEX_SLOT(26, "ノ")
INDEX_SLOT(27, "ハ")
INDEX_SLOT(28, "ヒ")
INDEX_SLOT(29, "フ")
INDEX_SLOT(30, "ヘ")
INDEX_SLOT(31, "ホ")
INDEX_SLOT(32, "マ")
INDEX_SLOT(33, "ミ")
INDEX_SLOT(34, "ム")
INDEX_SLOT(35, "メ")
INDEX_SLOT(36, "モ")
INDEX_SLOT(37, "ヤ")
INDEX_SLOT(39, "ユ")
INDEX_SLOT(41, "ヨ")
INDEX_SLOT(42, "ラ")
INDEX_SLOT(43, "リ")
INDEX_SLOT(44, "ル")
INDEX_SLOT(45, "レ")
INDEX_SLOT(46, "ロ")
INDEX_SLOT(47, "ワ")
INDEX_SLOT(48, "ヲ")
INDEX_SLOT(50, "英数")
INDEX_SLOT(51, "漢字")

#undef INDEX_SLOT

void MainWindow::jumpToInitial(QString key)
{
    // Two buttons stand for a whole class of names and search for one
    // character that begins names of that class.
    if (key == tr("英数"))
        key = QStringLiteral("１");
    else if (key == tr("漢字"))
        key = tr("塩");
    const int row = firstRowStartingWith(model, key, rowLimit);
    ui->tableView->setCurrentIndex(model->index(row, 0));
    // Keep the rows after the match in sight, not just the match itself.
    ui->tableView->scrollTo(model->index(row + lookAheadRows, 0), QAbstractItemView::EnsureVisible);
}

// Loaded cells hold no comma, so both gestures copy the whole name.
void MainWindow::on_tableView_clicked(const QModelIndex &index)
{
    const QString text = cellText(index);
    const int comma = text.indexOf(QLatin1Char(','));
    copyToClipboard(text.right(text.size() - comma - 1));
}

void MainWindow::on_tableView_doubleClicked(const QModelIndex &index)
{
    const QString text = cellText(index);
    copyToClipboard(text.left(text.indexOf(QLatin1Char(','))));
}
