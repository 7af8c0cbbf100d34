#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/modalcloser.h"
#include "support/testdatafolder.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTextCodec>
#include <QtTest>

namespace
{
QStringList tableRows(QStandardItemModel *model, int count)
{
    QStringList rows;
    for (int row = 0; row < count; ++row)
        rows << model->index(row, 0).data().toString() + "|" +
                    model->index(row, 1).data().toString();
    return rows;
}

QStringList pressConvert(MainWindow &window, ModalCloser::Way way = ModalCloser::Escape)
{
    ModalCloser closer(way);
    QTest::mouseClick(window.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    if (!closer.allLookedRight)
        qWarning("a check message did not look as it should");
    return closer.allLookedRight ? closer.texts : QStringList{"looked wrong"};
}

QString statusOf(MainWindow &window)
{
    return window.statusBar()->currentMessage();
}

QString native(const TestDataFolder &folder, const QString &name)
{
    return QDir::toNativeSeparators(folder.path(name));
}
} // namespace

class TestConvertButton : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void checkMessageIsOnlyANotice_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("closed with Escape") << int(ModalCloser::Escape);
        QTest::newRow("closed with Discard") << int(ModalCloser::Discard);
        QTest::newRow("closed by the window") << int(ModalCloser::CloseButton);
    }

    void checkMessageIsOnlyANotice()
    {
        QFETCH(int, way);
        TestDataFolder folder;
        folder.writeRealLists();
        folder.write(DataFiles::productList,
                     "h,1,2,3,4,5,6,7,8,9\n"
                     "内用薬,1124003F2230,ニトラゼパム,５ｍｇ１錠,,,,"
                     "ネルボン錠５ｍｇ,アルフレッサファーマ,,準先発品,1,7.1,,\n");
        MainWindow window(folder.dataFolder());
        window.show();
        QCOMPARE(pressConvert(window, ModalCloser::Way(way)), QStringList{"0,=9"});
        QCOMPARE(folder.read(DataFiles::displayList),
                 QByteArray("ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n"));
    }

    void completeRunShowsTheNewList()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "旧,old\n");
        folder.writeRealLists();
        MainWindow window(folder.dataFolder());
        window.show();
        MainWindowProbe state(window);
        QVERIFY(statusOf(window).isEmpty()); // start-up says nothing

        QCOMPARE(pressConvert(window), QStringList());
        const QByteArray written = folder.read(DataFiles::displayList);
        QCOMPARE(written, sampleFile(DataFiles::displayList));
        const int lines = written.count('\n');
        QCOMPARE(statusOf(window),
                 QString("変換しました: %1 件（例外コード表 42 品目）。薬価基準: senkou.csv。"
                         "一般名処方マスタ: iporg.csv・reigai.csv（令和7年8月14日適用）")
                     .arg(lines));
        QCOMPARE(state.productLines().size(), 525);
        QVERIFY(!state.lookupLines().isEmpty());
        QCOMPARE(state.nextRow(), lines);
        QCOMPARE(state.rowLimit(), 3000);

        // The new list is on screen at once, sorted, 24 pixels a row.
        auto *view = window.findChild<QTableView *>("tableView");
        QCOMPARE(view->model(), state.model());
        QCOMPARE(state.model()->rowCount(), 3000);
        QCOMPARE(state.model()->headerData(0, Qt::Horizontal).toString(), QString("先発名"));
        QCOMPARE(state.model()->headerData(1, Qt::Horizontal).toString(), QString("一般名"));
        QCOMPARE(tableRows(state.model(), 1),
                 QStringList{"アイトロール錠１０ｍｇ|【般】一硝酸イソソルビド錠１０ｍｇ"});
        QCOMPARE(tableRows(state.model(), lines + 1).last(), QString("|"));
        QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 0);
        QCOMPARE(view->rowHeight(0), 24);
        QCOMPARE(view->rowHeight(2999), 24);
        QCOMPARE(view->columnWidth(1), 250);
    }

    void withoutExceptionListTheStatusSaysSo()
    {
        TestDataFolder folder;
        folder.writeRealLists();
        folder.remove(DataFiles::exceptionList);
        MainWindow window(folder.dataFolder());
        pressConvert(window);
        QCOMPARE(statusOf(window),
                 QString("変換しました: %1 件（例外コード表 reigai.csv なし）。"
                         "注意: 例外コード表がありません（一般名なし 17 品目）。"
                         "薬価基準: senkou.csv。一般名処方マスタ: iporg.csv（令和7年8月14日適用）")
                     .arg(folder.read(DataFiles::displayList).count('\n')));
    }

    // The status names where each list came from, and warns of what the
    // user should check.
    void completedStatus_data()
    {
        QTest::addColumn<QStringList>("workbooks");
        QTest::addColumn<bool>("csvProducts");
        QTest::addColumn<QString>("status");
        const QStringList all{"tp20250814-01_01.xlsx", "tp20250814-01_02.xlsx",
                              "tp20250814-01_03.xlsx", "ippanmeishohoumaster_250814.xlsx"};
        QTest::newRow("the published workbooks alone")
            << all << false
            << "変換しました: 4243 件（例外コード表 80 品目）。薬価基準: ブック 3 "
               "冊（内用薬・注射薬・"
               "外用薬）。一般名処方マスタ: ippanmeishohoumaster_250814.xlsx（令和7年8月14日適用）";
        QTest::newRow("only the first price-list workbook")
            << QStringList{all.at(0), all.at(3)} << false
            << "変換しました: 2023 件（例外コード表 80 品目）。注意: 薬価基準に注射薬・外用薬があり"
               "ません。薬価基準: ブック 1 冊（内用薬）。一般名処方マスタ: "
               "ippanmeishohoumaster_250814.xlsx（令和7年8月14日適用）";
        QTest::newRow("a CSV price list beside the workbooks")
            << all << true
            << "変換しました: 4243 件（例外コード表 80 品目）。注意: tp20250814-01_01.xlsx・"
               "tp20250814-01_02.xlsx・tp20250814-01_03.xlsx は使っていません（CSV ファイルを"
               "使いました）。薬価基準: senkou.csv。一般名処方マスタ: "
               "ippanmeishohoumaster_250814.xlsx（令和7年8月14日適用）";
    }

    void completedStatus()
    {
        QFETCH(QStringList, workbooks);
        QFETCH(bool, csvProducts);
        QFETCH(QString, status);
        TestDataFolder folder;
        for (const QString &name : workbooks)
            folder.write(name, sampleFile("published/" + name));
        if (csvProducts)
            folder.write(DataFiles::productList, joinedPublishedPriceList());
        MainWindow window(folder.dataFolder());
        window.show();
        QCOMPARE(pressConvert(window), QStringList());
        QCOMPARE(statusOf(window), status);
        QCOMPARE(window.statusBar()->toolTip(), status);
        QCOMPARE(MainWindowProbe(window).nextRow(), status.section(' ', 1, 1).toInt());
    }

    // Every other ending keeps the list and the table, and says which file
    // is at fault.
    void failureIsTold_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::addColumn<QString>("status");
        const QString missing =
            "%1 "
            "がなく、その一覧のブック（.xlsx）もデータフォルダにありません。一覧は変わっていません";
        const QString notRegular = "（通常のファイルではありません）。一覧は変わっていません";
        QTest::newRow("product list missing") << DataFiles::productList << missing;
        QTest::newRow("generic-name list missing") << DataFiles::genericNameList << missing;
        QTest::newRow("exception list a folder")
            << DataFiles::exceptionList << "%1 を開けません" + notRegular;
        QTest::newRow("display list a folder")
            << DataFiles::displayList << "%1 に書き込めません" + notRegular;
        QTest::newRow("no drug in the product list")
            << "header only"
            << "%1 から薬剤を読み取れません。一覧は変わっていません";
        QTest::newRow("generic-name list empty")
            << "empty master"
            << "%1 から先発品の一般名が1つも見つかりません。一般名処方マスタの本体のシートか確かめ"
               "てください。一覧は変わっていません";
        QTest::newRow("exception list empty")
            << "empty exceptions"
            << "%1 に例外コードが1つもありません。一般名処方マスタの例外コード品目対照表か確かめて"
               "ください。一覧は変わっていません";
        QTest::newRow("generic-name list in another encoding")
            << "shift_jis master"
            << "%1 の文字コードが違います（文字コード UTF-8 で読めない文字があります）。システムの"
               "文字コードで保存し直してください。一覧は変わっていません";
    }

    void failureIsTold()
    {
        QFETCH(QString, broken);
        QFETCH(QString, status);

        TestDataFolder folder;
        folder.writeRealLists();
        MainWindow window(folder.dataFolder());
        pressConvert(window);
        MainWindowProbe state(window);
        const QStringList rowsBefore = tableRows(state.model(), 3000);
        QString path = native(folder, broken);
        if (broken == "header only") {
            path = native(folder, DataFiles::productList);
            folder.write(DataFiles::productList, productHeaderLine);
        } else if (broken == "empty master") {
            path = native(folder, DataFiles::genericNameList);
            folder.write(DataFiles::genericNameList, QByteArray());
        } else if (broken == "empty exceptions") {
            path = native(folder, DataFiles::exceptionList);
            folder.write(DataFiles::exceptionList, QByteArray());
        } else if (broken == "shift_jis master") {
            path = native(folder, DataFiles::genericNameList);
            folder.write(DataFiles::genericNameList, shiftJis()->fromUnicode(QString::fromUtf8(
                                                         sampleFile(DataFiles::genericNameList))));
        } else {
            folder.remove(broken);
            if (broken == DataFiles::displayList || broken == DataFiles::exceptionList)
                QVERIFY(QDir(folder.path(".")).mkdir(broken));
        }

        pressConvert(window);
        QCOMPARE(statusOf(window), status.arg(path));
        QCOMPARE(tableRows(state.model(), 3000), rowsBefore);
        QCOMPARE(state.rowLimit(), 3000);
    }
};

QTEST_MAIN(TestConvertButton)
#include "tst_convertbutton.moc"
