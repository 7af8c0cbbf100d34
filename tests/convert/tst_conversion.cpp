#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/modalcloser.h"
#include "support/testdatafolder.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace
{
const QString fixtures = QStringLiteral(IPPAN_TEST_DATA_DIR "/conversion/");

QByteArray fixture(const QString &name)
{
    QFile file(fixtures + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

// The small product and generic-name lists whose conversion is known.
void writeFixtureLists(const TestDataFolder &folder)
{
    folder.write(DataFiles::productList, fixture("senkou.csv"));
    folder.write(DataFiles::genericNameList, fixture("iporg.csv"));
}

const QByteArray header10 = "h,1,2,3,4,5,6,7,8,9,10\n"; // ten commas

// A product record of 13 fields with the generics flag set.
QByteArray flaggedRecord(const QByteArray &brand, const QByteArray &code)
{
    return "内用薬," + code + ",G,,,,," + brand + ",,,先発品,1,S\n";
}

QStringList tableRows(QStandardItemModel *model, int count)
{
    QStringList rows;
    for (int row = 0; row < count; ++row)
        rows << model->index(row, 0).data().toString() + "|" +
                    model->index(row, 1).data().toString();
    return rows;
}

void pressConvert(MainWindow &window, ModalCloser::Way way = ModalCloser::Escape,
                  QStringList *messages = nullptr)
{
    ModalCloser closer(way);
    QTest::mouseClick(window.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    QVERIFY(closer.allLookedRight);
    if (messages)
        *messages = closer.texts;
}
} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void checkMessage_data()
    {
        QTest::addColumn<QByteArray>("products");
        QTest::addColumn<int>("way");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("empty list, closed with Escape")
            << QByteArray() << int(ModalCloser::Escape) << QStringList{"0,=0"};
        QTest::newRow("header only, closed with Discard")
            << header10 << int(ModalCloser::Discard) << QStringList{"1,=0"};
        QTest::newRow("first line 9 commas, closed by the window")
            << QByteArray("h,1,2,3,4,5,6,7,8,9\n") + flaggedRecord("X", "1234")
            << int(ModalCloser::CloseButton) << QStringList{"0,=9"};
        QTest::newRow("both lines short")
            << QByteArray("a,b\nc\n") << int(ModalCloser::Escape) << QStringList{"0,=1", "1,=0"};
        QTest::newRow("ten commas: no message")
            << header10 + flaggedRecord("X", "1234") << int(ModalCloser::Escape) << QStringList{};
        QTest::newRow("third line is not checked")
            << header10 + flaggedRecord("X", "1234") + "a,b,c\n"
            << int(ModalCloser::Escape) << QStringList{};
    }

    void checkMessage()
    {
        QFETCH(QByteArray, products);
        QFETCH(int, way);
        QFETCH(QStringList, messages);

        TestDataFolder folder;
        folder.write(DataFiles::productList, products);
        folder.write(DataFiles::genericNameList, "a,1234,Generic,,,,\n");
        MainWindow window;
        window.show();
        QStringList shown;
        pressConvert(window, ModalCloser::Way(way), &shown);
        QCOMPARE(shown, messages);

        // The command goes on whatever closed the message.
        MainWindowProbe state(window);
        QCOMPARE(state.rowLimit(), products.count('\n'));
        const QByteArray written = folder.read(DataFiles::displayList);
        QCOMPARE(written.isEmpty(), !products.contains("先発品"));
    }

    void completeRun()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "Old,list\n");
        writeFixtureLists(folder);
        MainWindow window;
        window.show();
        MainWindowProbe state(window);

        pressConvert(window);
        const QByteArray expected = fixture("expected-ippan.csv");
        QCOMPARE(folder.read(DataFiles::displayList), expected);
        QVERIFY(!expected.contains('\r'));
        QCOMPARE(state.productLines().size(), 7);
        QCOMPARE(state.rowLimit(), 7);
        QCOMPARE(state.lookupLines().size(), 5); // the five-comma line is not a record
        QCOMPARE(QDir(folder.path(".")).entryList(QDir::Files).size(), 3); // no temporary left

        // The new list is on screen at once, sorted, 24 pixels a row.
        auto *view = window.findChild<QTableView *>("tableView");
        QCOMPARE(view->model(), state.model());
        QCOMPARE(state.model()->rowCount(), 3000);
        QCOMPARE(state.model()->headerData(0, Qt::Horizontal).toString(), QString("先発名"));
        QCOMPARE(state.model()->headerData(1, Qt::Horizontal).toString(), QString("一般名"));
        QCOMPARE(tableRows(state.model(), 4),
                 (QStringList{"アルファ錠１０ｍｇ|【般】アルファ錠２０ｍｇ",
                              "ガンマ錠|【般】ガンマ錠", "ベータ錠|後発なし", "|"}));
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(view->rowHeight(0), 24);
        QCOMPARE(view->rowHeight(2999), 24);
        QCOMPARE(view->columnWidth(1), 250);

        pressConvert(window);
        QCOMPARE(folder.read(DataFiles::displayList), expected);
    }

    void sampleListsConvertToTheSampleDisplayList()
    {
        TestDataFolder folder;
        const QString sample = QStringLiteral(IPPAN_SAMPLE_DIR "/");
        for (const QString &name : {DataFiles::productList, DataFiles::genericNameList}) {
            QFile file(sample + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            folder.write(name, file.readAll());
        }
        QFile expected(sample + DataFiles::displayList);
        QVERIFY(expected.open(QIODevice::ReadOnly));
        MainWindow window;
        pressConvert(window);
        QCOMPARE(folder.read(DataFiles::displayList), expected.readAll());
    }

    // Each run that ends early keeps the user's display list byte for byte.
    void failureKeepsTheOldList_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("productLinesRead");
        QTest::newRow("product list missing") << DataFiles::productList << false;
        QTest::newRow("generic-name list missing") << DataFiles::genericNameList << true;
    }

    void failureKeepsTheOldList()
    {
        QFETCH(QString, missing);
        QFETCH(bool, productLinesRead);

        TestDataFolder folder;
        writeFixtureLists(folder);
        MainWindow window;
        pressConvert(window);
        MainWindowProbe state(window);
        const QByteArray oldList = folder.read(DataFiles::displayList);
        const QStringList oldLookups = state.lookupLines();
        const QStringList oldRows = tableRows(state.model(), 4);

        const QByteArray newProducts = header10 + flaggedRecord("New", "9999");
        folder.write(DataFiles::productList, newProducts);
        folder.remove(missing);
        pressConvert(window);

        QCOMPARE(folder.read(DataFiles::displayList), oldList);
        QCOMPARE(state.lookupLines(), oldLookups);
        QCOMPARE(tableRows(state.model(), 4), oldRows);
        QCOMPARE(state.rowLimit(), productLinesRead ? 2 : 7);
        QCOMPARE(state.productLines().size(), productLinesRead ? 2 : 7);
        QCOMPARE(QDir(folder.path(".")).entryList(QDir::Files).size(), 2);
    }

    void unwritableFolderChangesNothing()
    {
        TestDataFolder folder;
        writeFixtureLists(folder);
        MainWindow window;
        pressConvert(window);
        MainWindowProbe state(window);
        const QStringList oldRows = tableRows(state.model(), 4);

        qputenv("RAVO_DIR", folder.path("no-such-folder").toUtf8());
        pressConvert(window);
        QCOMPARE(state.productLines().size(), 7);
        QCOMPARE(state.rowLimit(), 7);
        QCOMPARE(tableRows(state.model(), 4), oldRows);
    }

    void displayListThatIsAFolderIsLeftAlone()
    {
        TestDataFolder folder;
        writeFixtureLists(folder);
        // A folder where the display list should be: it cannot be replaced.
        QVERIFY(QDir(folder.path(".")).mkdir(DataFiles::displayList));
        MainWindow window;
        pressConvert(window);
        QVERIFY(QFileInfo(folder.path(DataFiles::displayList)).isDir());
        QCOMPARE(QDir(folder.path(".")).entryList(QDir::Files).size(), 2);
        QVERIFY(MainWindowProbe(window).productLines().isEmpty());
    }

    void limits()
    {
        TestDataFolder folder;
        QByteArray products = header10;
        for (int i = 0; i < 30005; ++i)
            products += flaggedRecord("B" + QByteArray::number(i), "G1000");
        QByteArray generics;
        for (int i = 0; i < 30000; ++i)
            generics += "ignored,G1ZZZ\n";
        generics += "a,G1ZZZ,never read,,,,\n";
        folder.write(DataFiles::productList, products);
        folder.write(DataFiles::genericNameList, generics);
        MainWindow window;
        pressConvert(window);
        MainWindowProbe state(window);

        QCOMPARE(state.productLines().size(), 30000);
        QCOMPARE(state.rowLimit(), 30000);
        QVERIFY(state.lookupLines().isEmpty());
        // Each record repeats the one before, so the whole run is one brand.
        QCOMPARE(folder.read(DataFiles::displayList), QByteArray("B0,一般名なし\n"));
    }

    void crlfAndByteOrderMarks()
    {
        TestDataFolder folder;
        folder.write(
            DataFiles::productList,
            "\xEF\xBB\xBFh,1,2,3,4,5,6,7,8,9,10\r\n内用薬,G1000,G,,,,,Brand,,,先発品,1,S\r\n");
        folder.write(DataFiles::genericNameList, "\xEF\xBB\xBF内用薬,G1ZZZ,Generic,,,,\r\n");
        MainWindow window;
        pressConvert(window);
        MainWindowProbe state(window);
        QVERIFY(!state.productLines().first().startsWith(QChar(0xFEFF)));
        QCOMPARE(folder.read(DataFiles::displayList), QByteArray("Brand,Generic\n"));
        QCOMPARE(tableRows(state.model(), 1), QStringList{"Brand|Generic"});
    }
};

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
