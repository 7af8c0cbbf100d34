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

} // namespace

Q_DECLARE_METATYPE(std::optional<FileShape>)

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // Every line read gets a row; a short list leaves empty rows after it.
    void tableRows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("nextRow");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("firstRows");

        QTest::newRow("2 lines: sorted, then empty rows")
            << QByteArray("B,b\nA,a\n") << 2 << 3000 << QStringList{"A|a", "B|b", "-|-"};
        QTest::newRow("3000 lines: no row more")
            << numberedDisplayLines(3000) << 3000 << 3000 << QStringList{"brand100000|generic0"};
        QTest::newRow("3500 lines: all shown")
            << numberedDisplayLines(3500) << 3500 << 3500 << QStringList{"brand100000|generic0"};
        QTest::newRow("10001 lines: the first 10000")
            << numberedDisplayLines(10001, "\r\n") << 10000 << 10000
            << QStringList{"brand100000|generic0"};
        QTest::newRow("empty first field sorts on top")
            << QByteArray("A,a\n,orphan\n") << 2 << 3000 << QStringList{"|orphan", "A|a"};
        QTest::newRow("line without a comma: empty generic name")
            << QByteArray("Lonely\n") << 1 << 3000 << QStringList{"Lonely|", "-|-"};
        QTest::newRow("empty file") << QByteArray() << 0 << 3000 << QStringList{"-|-"};
    }

    void tableRows()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, nextRow);
        QFETCH(int, rows);
        QFETCH(QStringList, firstRows);

        TestDataFolder folder;
        folder.write(DataFiles::displayList, file);
        MainWindow window(folder.dataFolder());
        MainWindowProbe state(window);

        QCOMPARE(state.nextRow(), nextRow);
        QCOMPARE(state.model()->rowCount(), rows);
        QCOMPARE(state.rowLimit(), rows);
        QCOMPARE(rowsOf(state.model(), firstRows.size()), firstRows);
        if (nextRow > 0)
            QVERIFY(state.model()->item(nextRow - 1, 0));
        if (nextRow < rows)
            QVERIFY(!state.model()->item(nextRow, 0));
        auto *view = window.findChild<QTableView *>("tableView");
        QCOMPARE(view->rowHeight(rows - 1), 25);
    }

    void viewIsSetUp()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "B,b\nA,a\n");
        MainWindow window(folder.dataFolder());
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
        MainWindow window(folder.dataFolder());
        auto *view = window.findChild<QTableView *>("tableView");
        QStandardItemModel *model = MainWindowProbe(window).model();

        view->sortByColumn(1, Qt::AscendingOrder);
        QCOMPARE(rowsOf(model, 3), (QStringList{"B|y", "A|z", "-|-"}));
        view->sortByColumn(1, Qt::DescendingOrder);
        QCOMPARE(rowsOf(model, 3), (QStringList{"A|z", "B|y", "-|-"}));
    }

    void missingDisplayListLeavesTheTableBlank()
    {
        TestDataFolder folder;
        MainWindow window(folder.dataFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MainWindowProbe state(window);

        QVERIFY(!window.findChild<QTableView *>("tableView")->model());
        QCOMPARE(state.model()->rowCount(), 3000);
        QCOMPARE(state.rowLimit(), 0);
        QCOMPARE(state.nextRow(), 0);
        QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&window});
    }

    // A display list that would hold up the start: the window shows at
    // once, blank as for a missing file, or with what a few MB hold.
    void hostileDisplayListStillShowsTheWindow_data()
    {
        QTest::addColumn<std::optional<FileShape>>("shape"); // none: an overlong line
        QTest::addColumn<bool>("attached");
        QTest::addColumn<int>("nextRow");
        QTest::newRow("named pipe") << std::optional(FileShape::NamedPipe) << false << 0;
        QTest::newRow("1.2 GB sparse") << std::optional(FileShape::Sparse) << true << 1;
        QTest::newRow("overlong line") << std::optional<FileShape>() << true << 2;
    }

    void hostileDisplayListStillShowsTheWindow()
    {
        QFETCH(std::optional<FileShape>, shape);
        QFETCH(bool, attached);
        QFETCH(int, nextRow);
        TestDataFolder folder;
        if (!shape)
            folder.write(DataFiles::displayList, QByteArray(100000, 'x') + ",g\nA,a\n");
        else if (const std::optional<QString> unsupported =
                     folder.put(DataFiles::displayList, *shape, {}, 1200LL * 1024 * 1024))
            QSKIP(qPrintable(*unsupported));

        MainWindow window(folder.dataFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MainWindowProbe state(window);
        auto *view = window.findChild<QTableView *>("tableView");
        QCOMPARE(view->model() != nullptr, attached);
        QCOMPARE(state.nextRow(), nextRow);
        if (!shape)
            QCOMPARE(rowsOf(state.model(), 2), (QStringList{"A|a", QString(32767, 'x') + "|"}));
    }

    void closingTheWindowEndsTheEventLoopWithZero()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "A,a\n");
        QPointer<QStandardItemModel> model;
        int exitCode = -1;
        {
            MainWindow window(folder.dataFolder());
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
