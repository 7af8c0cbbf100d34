#pragma once

#include "data/datafolder.h"

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <optional>

class QLabel;
class QStandardItemModel;
struct DisplayList;

namespace Ui
{
class MainWindow;
}

// The one window of the program and all of its state.
//
// Start-up reads the display list into `model`, which `tableView` shows
// sorted by brand name, a row a line, and the status bar tells which list
// it is (how many names, of which master date, converted when). "変換"
// hands the data folder to the conversion, which reads the raw lists and
// replaces the display list and its record only with complete new ones;
// the window shows the new list and tells in the status bar how the run
// ended. The index
// keyboard's 47 buttons jump through the table by initial; the find in the
// status bar (FindBar, with its own connections) finds any part of a name;
// a click on a cell copies its name to the clipboard and says so for a few
// seconds.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The window on the program's data folder.
    explicit MainWindow(QWidget *parent = nullptr);
    // The window on another folder and another clock (the time a run is
    // recorded at, the day a list's age and a 経過措置 are judged on), as
    // tests and benchmarks make it.
    explicit MainWindow(const DataFolder &folder,
                        std::function<QDateTime()> clock = &QDateTime::currentDateTime,
                        QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_7_clicked();
    void on_pushButton_8_clicked();
    void on_pushButton_9_clicked();
    void on_pushButton_10_clicked();
    void on_pushButton_11_clicked();
    void on_pushButton_12_clicked();
    void on_pushButton_13_clicked();
    void on_pushButton_14_clicked();
    void on_pushButton_15_clicked();
    void on_pushButton_16_clicked();
    void on_pushButton_17_clicked();
    void on_pushButton_18_clicked();
    void on_pushButton_19_clicked();
    void on_pushButton_20_clicked();
    void on_pushButton_21_clicked();
    void on_pushButton_22_clicked();
    void on_pushButton_23_clicked();
    void on_pushButton_24_clicked();
    void on_pushButton_25_clicked();
    void on_pushButton_26_clicked();
    void on_pushButton_27_clicked();
    void on_pushButton_28_clicked();
    void on_pushButton_29_clicked();
    void on_pushButton_30_clicked();
    void on_pushButton_31_clicked();
    void on_pushButton_32_clicked();
    void on_pushButton_33_clicked();
    void on_pushButton_34_clicked();
    void on_pushButton_35_clicked();
    void on_pushButton_36_clicked();
    void on_pushButton_37_clicked();
    void on_pushButton_39_clicked();
    void on_pushButton_41_clicked();
    void on_pushButton_42_clicked();
    void on_pushButton_43_clicked();
    void on_pushButton_44_clicked();
    void on_pushButton_45_clicked();
    void on_pushButton_46_clicked();
    void on_pushButton_47_clicked();
    void on_pushButton_48_clicked();
    void on_pushButton_50_clicked();
    void on_pushButton_51_clicked();
    void on_tableView_clicked(const QModelIndex &index);
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    Q_DISABLE_COPY(MainWindow)

    // Moves the table's current cell to the first brand name that begins
    // with `key` and scrolls so that the rows after it are in sight.
    void jumpToInitial(QString key);

    // Loads the display list into the model and the view, and tells which
    // list it is; the lines read, or nothing when there is no list.
    std::optional<int> showDisplayList(int rowHeight);
    void copyAndTell(const QModelIndex &index, const QString &text);

    // Tests read the state below through this class; it adds no member function.
    friend class MainWindowProbe;

    // `rowLimit`: the rows the index keyboard walks. `nextRow`,
    // `productLines` and `lookupLines`: the lines the last display-list load
    // read, and those the last "変換" read (the product list's lines and the
    // generic-name records). Nothing in the window acts on these three; they
    // are its record of its last load and run, which tests read.
    int rowLimit;
    int nextRow;
    Ui::MainWindow *ui;
    QStandardItemModel *model;
    QStringList productLines;
    QStringList lookupLines;
    DataFolder dataFolder; // where the display list and the raw lists are
    std::function<QDateTime()> clock;
    QLabel *listLabel; // the status bar's resting text: which list is shown
};
