#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/conversionstatus.h"
#include "app/drugitemdelegate.h"
#include "app/drugtableview.h"
#include "app/findbar.h"
#include "app/liststatus.h"
#include "convert/conversion.h"
#include "data/displaylist.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>

#include <optional>

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

// How long the word on a copy stays before the list's text returns.
constexpr int copiedStatusMs = 4000;

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

bool isWhollyInSight(const QTableView *view, int row)
{
    const int top = view->rowViewportPosition(row);
    return top >= 0 && top + view->rowHeight(row) <= view->viewport()->height();
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
    : MainWindow(DataFolder::standard(), &QDateTime::currentDateTime, parent)
{
}

MainWindow::MainWindow(const DataFolder &folder, std::function<QDateTime()> clock, QWidget *parent)
    : QMainWindow(parent), rowLimit(0), nextRow(0), ui(new Ui::MainWindow), model(nullptr),
      dataFolder(folder), clock(std::move(clock)), listLabel(nullptr)
{
    ui->setupUi(this);
    model = DrugTableView::createModel(this);
    // The find keeps its own connections; it belongs to the window.
    new FindBar(ui->tableView, model, ui->statusBar, this);
    listLabel = new QLabel(ui->statusBar);
    listLabel->setObjectName(QStringLiteral("listStatus"));
    // It takes the room the bar has and never widens the window; where it
    // is cut, its tooltip holds the whole text.
    listLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->statusBar->addWidget(listLabel, 1);
    ui->tableView->setItemDelegate(new DrugItemDelegate(this->clock, ui->tableView));
    // A missing display list leaves the view without a model: a blank table,
    // no message.
    const std::optional<int> linesRead = showDisplayList(DrugTableView::startupRowHeight);
    if (!linesRead)
        return;
    nextRow = *linesRead;
    rowLimit = model->rowCount();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::on_pushButton_clicked()
{
    ReadLines read;
    const ConversionOutcome outcome = runConversion(dataFolder, showCheckMessage, &read, clock());
    if (read.productLines)
        productLines = std::move(*read.productLines);
    if (read.genericRecords)
        lookupLines = std::move(*read.genericRecords);
    // Every other ending keeps the old list on disk, so the table stays too.
    if (outcome.completed()) {
        DrugTableView::resetModel(model);
        nextRow = showDisplayList(DrugTableView::conversionRowHeight).value_or(0);
        rowLimit = model->rowCount();
    }
    // The whole text stays at hand where the status bar is too narrow for it.
    const QString status = conversionStatus(outcome);
    ui->statusBar->showMessage(status);
    ui->statusBar->setToolTip(status);
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
    const QModelIndex match = model->index(row, 0);
    QTableView *view = ui->tableView;
    view->setCurrentIndex(match);
    // Keep the rows after the match in sight, not just the match itself.
    view->scrollTo(model->index(row + lookAheadRows, 0), QAbstractItemView::EnsureVisible);
    // Where the look-ahead pushed the match out of sight (it is longer than
    // the rows the view shows), the match goes to the top instead.
    if (match.isValid() && view->model() == model && !isWhollyInSight(view, row))
        view->scrollTo(match, QAbstractItemView::PositionAtTop);
}

// Fills the model from the display list and sets up the view over it.
// Returns the number of lines read, or nothing when the file cannot be
// opened; then neither the model nor the view is touched.
std::optional<int> MainWindow::showDisplayList(int rowHeight)
{
    const DisplayList list = readDisplayList(dataFolder);
    if (!list.opened) {
        listLabel->setText(noListStatus());
        return std::nullopt;
    }
    DrugTableView::fillModel(model, list.rows);
    DrugTableView::setupView(ui->tableView, model, rowHeight);
    listLabel->setText(listStatus(list.rows.size(), list.record, clock().date()));
    listLabel->setToolTip(listLabel->text());
    return list.rows.size();
}

// The clipboard gets the text as it is; the status bar says what it got,
// with the brand's 経過措置, so that a click on the wrong row is seen
// before the name is pasted.
void MainWindow::copyAndTell(const QModelIndex &index, const QString &text)
{
    copyToClipboard(text);
    const QDate until =
        index.column() == 0 ? index.data(DrugTableView::transitionalRole).toDate() : QDate();
    ui->statusBar->showMessage(copiedStatus(text, until, clock().date()), copiedStatusMs);
}

// Loaded cells hold no comma, so both gestures copy the whole name.
void MainWindow::on_tableView_clicked(const QModelIndex &index)
{
    const QString text = cellText(index);
    const int comma = text.indexOf(QLatin1Char(','));
    copyAndTell(index, text.right(text.size() - comma - 1));
}

void MainWindow::on_tableView_doubleClicked(const QModelIndex &index)
{
    const QString text = cellText(index);
    copyAndTell(index, text.left(text.indexOf(QLatin1Char(','))));
}
