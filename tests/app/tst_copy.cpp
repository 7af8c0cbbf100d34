#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/testdatafolder.h"

#include <QClipboard>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <memory>

namespace
{
// A shown window over a display list.
class ShownTable
{
public:
    explicit ShownTable(const QByteArray &displayList)
    {
        folder.write(DataFiles::displayList, displayList);
        window = std::make_unique<MainWindow>(folder.dataFolder());
        window->show();
        exposed = QTest::qWaitForWindowExposed(window.get());
        view = window->findChild<QTableView *>("tableView");
    }

    TestDataFolder folder;
    std::unique_ptr<MainWindow> window;
    QTableView *view = nullptr;
    bool exposed = false;
};

QPoint centreOf(QTableView *view, int row, int column)
{
    return view->visualRect(view->model()->index(row, column)).center();
}
} // namespace

class TestCopy : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void copy_data()
    {
        QTest::addColumn<QString>("cellText"); // null: the loaded text stays
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("afterClick");
        QTest::addColumn<QString>("afterDoubleClick");

        QTest::newRow("loaded brand name") << QString() << 0 << "ネルボン錠５ｍｇ"
                                           << "ネルボン錠５ｍｇ";
        QTest::newRow("loaded generic name") << QString() << 1 << "【般】ニトラゼパム錠５ｍｇ"
                                             << "【般】ニトラゼパム錠５ｍｇ";
        QTest::newRow("three parts") << "A,B,C" << 1 << "B,C"
                                     << "A";
        QTest::newRow("leading comma") << ",B" << 0 << "B"
                                       << "";
        QTest::newRow("trailing comma") << "A," << 0 << ""
                                        << "A";
        QTest::newRow("empty text") << "" << 1 << ""
                                    << "";
    }

    void copy()
    {
        QFETCH(QString, cellText);
        QFETCH(int, column);
        QFETCH(QString, afterClick);
        QFETCH(QString, afterDoubleClick);

        ShownTable table("ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n");
        QVERIFY(table.exposed);
        QTableView *view = table.view;
        if (!cellText.isNull())
            MainWindowProbe(*table.window).model()->item(0, column)->setText(cellText);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText("selection untouched", QClipboard::Selection);

        const QPoint at = centreOf(view, 0, column);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clipboard->text(QClipboard::Clipboard), afterClick);

        // A double click arrives as a press, release and click first.
        QSignalSpy changes(clipboard, &QClipboard::dataChanged);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at, 400);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clipboard->text(QClipboard::Clipboard), afterDoubleClick);
#ifndef Q_OS_WIN
        // One change for each gesture. (Windows tells of its clipboard's
        // changes in messages of its own, not one for each.)
        QCOMPARE(changes.count(), 2);
#endif
        if (clipboard->supportsSelection())
            QCOMPARE(clipboard->text(QClipboard::Selection), QString("selection untouched"));
    }

    void emptyRowCopiesEmptyText()
    {
        ShownTable table("A,a\n");
        QVERIFY(table.exposed);
        QGuiApplication::clipboard()->setText("before");
        QTest::mouseClick(table.view->viewport(), Qt::LeftButton, {}, centreOf(table.view, 3, 0));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    void headerClickCopiesNothing()
    {
        ShownTable table("A,a\n");
        QVERIFY(table.exposed);
        QGuiApplication::clipboard()->setText("before");
        QTest::mouseClick(table.view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(table.view->columnViewportPosition(1) + 10, 5));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
    }
};

QTEST_MAIN(TestCopy)
#include "tst_copy.moc"
