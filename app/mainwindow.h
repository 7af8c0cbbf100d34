#pragma once

#include <QMainWindow>
#include <QStringList>

class QStandardItemModel;

namespace Ui
{
class MainWindow;
}

// The one window of the program and all of its state.
//
// Start-up reads the display list into `model`, which `tableView` shows
// sorted by brand name. "変換" reads the product list and the generic-name
// list into `productLines` and `lookupLines`, writes a new display list from
// them and shows it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_pushButton_clicked();

private:
    Q_DISABLE_COPY(MainWindow)

    // Tests read the state below through this class; it adds no member function.
    friend class MainWindowInspector;

    int rowLimit;
    int nextRow;
    Ui::MainWindow *ui;
    QStandardItemModel *model;
    QStringList productLines;
    QStringList lookupLines;
};
