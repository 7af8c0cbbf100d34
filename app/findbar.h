#pragma once

#include <QObject>
#include <QVector>

class QLabel;
class QLineEdit;
class QStandardItemModel;
class QStatusBar;
class QTableView;
class QWidget;

// The find at the right end of the status bar: a field and the match's
// place among the matching rows ("3/12"). While its text changes, the
// table's current cell moves to the brand cell of the first row, in the
// order the view shows, whose brand or generic name contains the text (both
// folded, see foldForFind), and that row goes to the top. Enter goes to the
// next match, Shift+Enter to the previous, wrapping; Escape empties the
// field and gives the focus back to the table; Ctrl+F (the platform's Find
// key) focuses the field. Text typed on the table starts a find instead of
// overwriting a cell; a double click and F2 still edit.
class FindBar : public QObject
{
    Q_OBJECT

public:
    FindBar(QTableView *view, QStandardItemModel *model, QStatusBar *statusBar, QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeInStatusBar(QStatusBar *statusBar);
    void takeTypingFromTable();
    void connectKeysAndModel(QWidget *window);
    void findFirst();
    void step(int direction);
    void moveTo(const QVector<int> &rows, int index);
    void startFromTable(const QString &text);
    bool handleFieldKey(int key, bool shift);

    QTableView *view;
    QStandardItemModel *model;
    QLineEdit *findField;
    QLabel *place;
};

// The rows of `model`, in its order, whose column 0 or 1 contains `folded`
// once folded for the find. Each cell's folded text is kept in the cell,
// made the first time it is needed and dropped when the cell's text
// changes, so it moves with the rows when they are sorted.
QVector<int> rowsContaining(QStandardItemModel *model, const QString &folded);
