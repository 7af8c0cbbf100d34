#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/modalcloser.h"
#include "support/testdatafolder.h"

#include <QHeaderView>
#include <QMetaMethod>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

namespace
{
// The window's own methods, in meta-object order.
const char *const slotSignatures[] = {
    "on_pushButton_clicked()",           "on_pushButton_2_clicked()",
    "on_pushButton_3_clicked()",         "on_pushButton_4_clicked()",
    "on_pushButton_5_clicked()",         "on_pushButton_6_clicked()",
    "on_pushButton_7_clicked()",         "on_pushButton_8_clicked()",
    "on_pushButton_9_clicked()",         "on_pushButton_10_clicked()",
    "on_pushButton_11_clicked()",        "on_pushButton_12_clicked()",
    "on_pushButton_13_clicked()",        "on_pushButton_14_clicked()",
    "on_pushButton_15_clicked()",        "on_pushButton_16_clicked()",
    "on_pushButton_17_clicked()",        "on_pushButton_18_clicked()",
    "on_pushButton_19_clicked()",        "on_pushButton_20_clicked()",
    "on_pushButton_21_clicked()",        "on_pushButton_22_clicked()",
    "on_pushButton_23_clicked()",        "on_pushButton_24_clicked()",
    "on_pushButton_25_clicked()",        "on_pushButton_26_clicked()",
    "on_pushButton_27_clicked()",        "on_pushButton_28_clicked()",
    "on_pushButton_29_clicked()",        "on_pushButton_30_clicked()",
    "on_pushButton_31_clicked()",        "on_pushButton_32_clicked()",
    "on_pushButton_33_clicked()",        "on_pushButton_34_clicked()",
    "on_pushButton_35_clicked()",        "on_pushButton_36_clicked()",
    "on_pushButton_37_clicked()",        "on_pushButton_39_clicked()",
    "on_pushButton_41_clicked()",        "on_pushButton_42_clicked()",
    "on_pushButton_43_clicked()",        "on_pushButton_44_clicked()",
    "on_pushButton_45_clicked()",        "on_pushButton_46_clicked()",
    "on_pushButton_47_clicked()",        "on_pushButton_48_clicked()",
    "on_pushButton_50_clicked()",        "on_pushButton_51_clicked()",
    "on_tableView_clicked(QModelIndex)", "on_tableView_doubleClicked(QModelIndex)",
};

struct IndexButton {
    const char *name;
    const char *caption;
};

const IndexButton indexButtons[] = {
    {"pushButton_2", "ア"},    {"pushButton_3", "イ"},    {"pushButton_4", "ウ"},
    {"pushButton_5", "エ"},    {"pushButton_6", "オ"},    {"pushButton_7", "カ"},
    {"pushButton_8", "キ"},    {"pushButton_9", "ク"},    {"pushButton_10", "ケ"},
    {"pushButton_11", "コ"},   {"pushButton_12", "サ"},   {"pushButton_13", "シ"},
    {"pushButton_14", "ス"},   {"pushButton_15", "セ"},   {"pushButton_16", "ソ"},
    {"pushButton_17", "タ"},   {"pushButton_18", "チ"},   {"pushButton_19", "ツ"},
    {"pushButton_20", "テ"},   {"pushButton_21", "ト"},   {"pushButton_22", "ナ"},
    {"pushButton_23", "ニ"},   {"pushButton_24", "ヌ"},   {"pushButton_25", "ネ"},
    {"pushButton_26", "ノ"},   {"pushButton_27", "ハ"},   {"pushButton_28", "ヒ"},
    {"pushButton_29", "フ"},   {"pushButton_30", "ヘ"},   {"pushButton_31", "ホ"},
    {"pushButton_32", "マ"},   {"pushButton_33", "ミ"},   {"pushButton_34", "ム"},
    {"pushButton_35", "メ"},   {"pushButton_36", "モ"},   {"pushButton_37", "ヤ"},
    {"pushButton_39", "ユ"},   {"pushButton_41", "ヨ"},   {"pushButton_42", "ラ"},
    {"pushButton_43", "リ"},   {"pushButton_44", "ル"},   {"pushButton_45", "レ"},
    {"pushButton_46", "ロ"},   {"pushButton_47", "ワ"},   {"pushButton_48", "ヲ"},
    {"pushButton_50", "英数"}, {"pushButton_51", "漢字"},
};

// The brand name each button must land on in namesForEveryButton().
QString targetOf(const QString &caption)
{
    if (caption == "英数")
        return "１名";
    if (caption == "漢字")
        return "塩名";
    return caption + "名";
}

QByteArray namesForEveryButton()
{
    QStringList lines{"1ASCII,x", "漢方,x"};
    for (const IndexButton &button : indexButtons)
        lines << targetOf(QString::fromUtf8(button.caption)) + ",g";
    return linesToBytes(lines);
}

// A list around the initials the jump must tell apart, plus enough rows
// that the look-ahead has to scroll.
QStringList jumpList()
{
    QStringList lines{"ァ小さい,g",       "あひらがな,g", "中アスピリン,g", "1数字,g",
                      "Ａ英字,g",         "２全角二,g",   "１錠フル,g",     "漢方薬,g",
                      "塩化ナトリウム,g", "パ半濁音,g",   "ﾅ半角,g",        "ガ濁音,g"};
    for (int i = 0; i < 30; ++i) {
        lines << QString("ア%1,z%2").arg(i, 3, 10, QChar('0')).arg(99 - i);
        lines << QString("カ%1,y%2").arg(i, 3, 10, QChar('0')).arg(99 - i);
    }
    return lines;
}

QTableView *tableOf(MainWindow &window)
{
    return window.findChild<QTableView *>("tableView");
}

void press(MainWindow &window, const QString &buttonName)
{
    QTest::mouseClick(window.findChild<QPushButton *>(buttonName), Qt::LeftButton);
}

QString currentBrand(MainWindow &window)
{
    const QModelIndex current = tableOf(window)->currentIndex();
    return current.isValid() ? current.sibling(current.row(), 0).data().toString() : QString();
}

bool isWhollyVisible(QTableView *view, int row)
{
    return view->rowViewportPosition(row) >= 0 &&
           view->rowViewportPosition(row) + view->rowHeight(row) <= view->viewport()->height();
}

QtMessageHandler previousHandler = nullptr;
QStringList connectionWarnings;

void recordConnectionWarnings(QtMsgType type, const QMessageLogContext &context,
                              const QString &text)
{
    if (text.contains("connectSlotsByName"))
        connectionWarnings << text;
    previousHandler(type, context, text);
}
} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void metaObjectHoldsExactlyTheSlotTable()
    {
        const QMetaObject &meta = MainWindow::staticMetaObject;
        QCOMPARE(meta.className(), "MainWindow");
        QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
        QStringList actual;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            QCOMPARE(method.methodType(), QMetaMethod::Slot);
            QCOMPARE(method.access(), QMetaMethod::Private);
            QCOMPARE(method.returnType(), int(QMetaType::Void));
            actual << method.methodSignature();
        }
        QStringList expected;
        for (const char *signature : slotSignatures)
            expected << signature;
        QCOMPARE(actual, expected);
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
        QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
        QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
        QCOMPARE(meta.constructorCount(), 0);
    }

    void everySlotFindsItsWidget()
    {
        connectionWarnings.clear();
        TestDataFolder folder;
        previousHandler = qInstallMessageHandler(recordConnectionWarnings);
        {
            MainWindow window(folder.dataFolder());
        }
        qInstallMessageHandler(previousHandler);
        QCOMPARE(connectionWarnings, QStringList());
    }

    void everyButtonJumpsWithItsOwnCaption_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("target");
        for (const IndexButton &b : indexButtons)
            QTest::newRow(b.name) << b.name << targetOf(QString::fromUtf8(b.caption));
    }

    void everyButtonJumpsWithItsOwnCaption()
    {
        QFETCH(QString, button);
        QFETCH(QString, target);
        TestDataFolder folder;
        folder.write(DataFiles::displayList, namesForEveryButton());
        MainWindow window(folder.dataFolder());
        press(window, button);
        QCOMPARE(currentBrand(window), target);
    }

    void jump_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected"); // empty: no current cell

        QTest::newRow("first match in sorted order") << ""
                                                     << "pushButton_7"
                                                     << "カ000";
        QTest::newRow("small form before it is not a match") << ""
                                                             << "pushButton_2"
                                                             << "ア000";
        QTest::newRow("英数 finds the full-width one only") << ""
                                                            << "pushButton_50"
                                                            << "１錠フル";
        QTest::newRow("漢字 finds 塩 only") << ""
                                            << "pushButton_51"
                                            << "塩化ナトリウム";
        QTest::newRow("semi-voiced form is not ハ") << ""
                                                    << "pushButton_27"
                                                    << "";
        QTest::newRow("half-width form is not ナ") << ""
                                                   << "pushButton_22"
                                                   << "";
        QTest::newRow("key later in the name is not a match") << ""
                                                              << "pushButton_26"
                                                              << "";
        QTest::newRow("descending order: first from the top") << "brand descending"
                                                              << "pushButton_2"
                                                              << "ア029";
        QTest::newRow("sorted by generic name: first from the top") << "generic ascending"
                                                                    << "pushButton_7"
                                                                    << "カ029";
    }

    void jump()
    {
        QFETCH(QString, sort);
        QFETCH(QString, button);
        QFETCH(QString, expected);

        TestDataFolder folder;
        folder.write(DataFiles::displayList, linesToBytes(jumpList()));
        MainWindow window(folder.dataFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableView *view = tableOf(window);
        if (sort == "brand descending")
            view->sortByColumn(0, Qt::DescendingOrder);
        else if (sort == "generic ascending")
            view->sortByColumn(1, Qt::AscendingOrder);
        const int scrollBefore = view->verticalScrollBar()->value();

        press(window, button);
        QCOMPARE(currentBrand(window), expected);
        if (expected.isEmpty()) {
            QCOMPARE(view->verticalScrollBar()->value(), scrollBefore);
            return;
        }
        const int row = view->currentIndex().row();
        QCOMPARE(view->currentIndex().column(), 0);
        // The match is the top row, the rows after it below it.
        QCOMPARE(view->rowAt(0), row);
        QCOMPARE(view->rowViewportPosition(row), 0);
        QVERIFY(isWhollyVisible(view, row + 14));

        press(window, button); // a second press lands on the same row
        QCOMPARE(view->currentIndex().row(), row);
    }

    void matchAmongTheLastRowsIsShownWithoutLookAhead()
    {
        QStringList lines;
        for (int i = 0; i < 2999; ++i)
            lines << QString("ア%1,g").arg(i, 4, 10, QChar('0'));
        lines << "ヲ最後,g";
        TestDataFolder folder;
        folder.write(DataFiles::displayList, linesToBytes(lines));
        MainWindow window(folder.dataFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        press(window, "pushButton_48");
        QTableView *view = tableOf(window);
        QCOMPARE(view->currentIndex().row(), 2999);
        QVERIFY(isWhollyVisible(view, 2999));
        QVERIFY(!isWhollyVisible(view, 2999 - 16)); // scrolled to the very end
    }

    void lineFarDownTheListIsReachedByItsInitial()
    {
        QStringList lines;
        for (int i = 0; i < 5000; ++i)
            lines << (i == 4499 ? QString("ホリゾン錠５ｍｇ,【般】ジアゼパム錠５ｍｇ")
                                : QString("ア%1,g").arg(i, 4, 10, QChar('0')));
        TestDataFolder folder;
        folder.write(DataFiles::displayList, linesToBytes(lines));
        MainWindow window(folder.dataFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        press(window, "pushButton_31");
        QCOMPARE(currentBrand(window), QString("ホリゾン錠５ｍｇ"));
        QVERIFY(isWhollyVisible(tableOf(window), tableOf(window)->currentIndex().row()));
    }

    void missingDisplayListMakesTheJumpHarmless()
    {
        TestDataFolder folder;
        MainWindow window(folder.dataFolder());
        press(window, "pushButton_2");
        QVERIFY(!tableOf(window)->currentIndex().isValid());
    }

    void afterConversionTheNewListIsSearched()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "カ旧,old\n");
        folder.write(DataFiles::productList, "h,1,2,3,4,5,6,7,8,9,10\n"
                                             "x,G1000,G,,,,,カ新,,,先発品,,S\n");
        folder.write(DataFiles::genericNameList, "");
        MainWindow window(folder.dataFolder());
        press(window, "pushButton");
        QCOMPARE(MainWindowProbe(window).rowLimit(), 3000);
        press(window, "pushButton_7");
        QCOMPARE(currentBrand(window), QString("カ新"));
        press(window, "pushButton_2"); // no ア name: no current cell
        QVERIFY(!tableOf(window)->currentIndex().isValid());
    }

    // A run that keeps the old list keeps the table and the jump over it.
    void failedConversionKeepsTheJump()
    {
        TestDataFolder folder;
        folder.write(DataFiles::displayList, "ア,a\n");
        folder.write(DataFiles::genericNameList, "");
        folder.write(DataFiles::productList, "");
        MainWindow window(folder.dataFolder());
        {
            ModalCloser closer(ModalCloser::Escape); // the empty list's check message
            press(window, "pushButton");
        }
        QCOMPARE(MainWindowProbe(window).rowLimit(), 3000);
        press(window, "pushButton_2");
        QCOMPARE(currentBrand(window), QString("ア"));
    }
};

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
