#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/testdatafolder.h"

#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QtTest>

namespace
{
// "brand|generic" for each of the first `count` model rows; "-" for a cell
// without an item, so an empty text and a missing item are told apart.
QStringList rowsOf(QStandardItemModel *model, int count)
{
    QStringList rows;
    for (int row = 0; row < count; ++row) {
        QStringList cells;
        for (int column = 0; column < 2; ++column) {
            QStandardItem *item = model->item(row, column);
            cells << (item ? item->text() : QStringLiteral("-"));
        }
        rows << cells.join('|');
    }
    return rows;
}

QByteArray numberedLines(int count, const char *lineEnd = "\n")
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes +=
            "brand" + QByteArray::number(100000 + i) + ",generic" + QByteArray::number(i) + lineEnd;
    return bytes;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("nextRow");
        QTest::addColumn<QStringList>("firstRows");

        QTest::newRow("sorted by brand")
            << QByteArray("B,b\nA,a\n") << 2 << QStringList{"A|a", "B|b", "-|-"};
        QTest::newRow("crlf line ends")
            << QByteArray("ロキソニン錠６０ｍｇ,ロキソプロフェン\r\nアムロジン錠,アムロジピン\r\n")
            << 2
            << QStringList{"アムロジン錠|アムロジピン", "ロキソニン錠６０ｍｇ|ロキソプロフェン"};
        QTest::newRow("third field ignored, empty middle kept")
            << QByteArray("X,,tail\n") << 1 << QStringList{"X|", "-|-"};
        QTest::newRow("empty first field sorts on top")
            << QByteArray("A,a\n,orphan\n") << 2 << QStringList{"|orphan", "A|a"};
        QTest::newRow("line without a comma")
            << QByteArray("Lonely\n") << 1 << QStringList{"Lonely|"};
        QTest::newRow("empty line inside")
            << QByteArray("B,b\n\nA,a\n") << 3 << QStringList{"|", "A|a", "B|b"};
        QTest::newRow("no final line end") << QByteArray("A,a") << 1 << QStringList{"A|a"};
        QTest::newRow("empty file") << QByteArray() << 0 << QStringList{"-|-"};
        QTest::newRow("invalid utf-8 bytes")
            << QByteArray("A\x80\xff,b\xc3\n") << 1 << QStringList{"A\uFFFD\uFFFD|b\uFFFD"};
        QTest::newRow("3500 lines") << numberedLines(3500) << 3500
                                    << QStringList{"brand100000|generic0", "brand100001|generic1"};
        QTest::newRow("more than 10000 lines")
            << numberedLines(12000, "\r\n") << 10000 << QStringList{"brand100000|generic0"};
    }

    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, nextRow);
        QFETCH(QStringList, firstRows);

        TestDataFolder folder;
        folder.write(DataFiles::displayList, file);
        MainWindow window;
        MainWindowProbe state(window);

        QCOMPARE(state.nextRow(), nextRow);
        QCOMPARE(state.rowLimit(), 3000);
        QCOMPARE(state.model()->rowCount(), 3000);
        QCOMPARE(rowsOf(state.model(), firstRows.size()), firstRows);
        const int shown = qMin(nextRow, 3000);
        if (shown > 0)
            QVERIFY(state.model()->item(shown - 1, 0));
        if (shown < 3000)
            QVERIFY(!state.model()->item(shown, 0));
    }

    void viewIsSetUp()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "B,b\nA,a\n");
        MainWindow window;
        auto *view = window.findChild<QTableView *>("tableView");
        QStandardItemModel *model = MainWindowProbe(window).model();

        QCOMPARE(view->model(), model);
        QCOMPARE(model->parent(), &window);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("先発名"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString("一般名"));
        QVERIFY(view->isSortingEnabled());
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(view->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(view->columnWidth(0), 250);
        QCOMPARE(view->columnWidth(1), 250);
        QCOMPARE(view->rowHeight(0), 25);
        QCOMPARE(view->rowHeight(2999), 25);
    }

    void sortingByGenericKeepsEmptyRowsBelow()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "A,z\nB,y\n");
        MainWindow window;
        auto *view = window.findChild<QTableView *>("tableView");
        QStandardItemModel *model = MainWindowProbe(window).model();

        view->sortByColumn(1, Qt::AscendingOrder);
        QCOMPARE(rowsOf(model, 3), (QStringList{"B|y", "A|z", "-|-"}));
        view->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(rowsOf(model, 3), (QStringList{"A|z", "B|y", "-|-"}));
    }

    void veryLongLine()
    {
        TestDataFolder folder;
        const QByteArray longName(6 * 1024 * 1024, 'x');
        folder.write(DataFiles::displayList, longName + ",g\nA,a\n");
        MainWindow window;
        MainWindowProbe state(window);
        QCOMPARE(state.nextRow(), 2);
        QCOMPARE(state.model()->item(1, 0)->text().size(), longName.size());
    }

    void missingDisplayListLeavesTheTableBlank()
    {
        TestDataFolder folder;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MainWindowProbe state(window);

        QVERIFY(!window.findChild<QTableView *>("tableView")->model());
        QCOMPARE(state.model()->rowCount(), 3000);
        QCOMPARE(state.rowLimit(), 0);
        QCOMPARE(state.nextRow(), 0);
        QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&window});
    }

    void closingTheWindowEndsTheEventLoopWithZero()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "A,a\n");
        QPointer<QStandardItemModel> model;
        int exitCode = -1;
        {
            MainWindow window;
            model = MainWindowProbe(window).model();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTimer::singleShot(0, &window, &QWidget::close);
            exitCode = QApplication::exec();
        }
        QCOMPARE(exitCode, 0);
        QVERIFY(model.isNull());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
