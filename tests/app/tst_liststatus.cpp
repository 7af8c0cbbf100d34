#include "app/drugtableview.h"
#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "data/listrecord.h"
#include "support/mainwindowprobe.h"
#include "support/testdatafolder.h"

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolTip>
#include <QtTest>

namespace
{
const QByteArray demoList =
    "ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n"
    "アダラートＣＲ錠１０ｍｇ,【般】ニフェジピン徐放錠１０ｍｇ（２４時間持続）\n";

// The record a run of 変換 on the lists of 2025-08-14 leaves beside the
// demo list: ネルボン錠５ｍｇ may be prescribed up to 2026-03-31.
ListRecord demoRecord()
{
    ListRecord record;
    record.converted = QDateTime(QDate(2026, 12, 11), QTime(9, 30), Qt::OffsetFromUTC, 9 * 3600);
    record.masterDate = "令和7年8月14日適用";
    record.transitionalUntil.insert(1, QDate(2026, 3, 31));
    return record;
}

// The window on a folder, on the day `today`.
struct Shown {
    explicit Shown(const QDate &today, bool withRecord = true)
    {
        folder.write(DataFiles::displayList, demoList);
        if (withRecord)
            folder.write(DataFiles::listRecord, listRecordText(demoRecord(), demoList));
        const QDateTime now(today, QTime(10, 0));
        window = std::make_unique<MainWindow>(folder.dataFolder(), [now] { return now; });
        window->show();
        exposed = QTest::qWaitForWindowExposed(window.get());
        view = window->findChild<QTableView *>("tableView");
    }

    QString listText() const { return window->findChild<QLabel *>("listStatus")->text(); }
    QString message() const { return window->statusBar()->currentMessage(); }

    // The row of `brand`, in the view's order.
    QModelIndex cell(const QString &brand, int column) const
    {
        QStandardItemModel *model = MainWindowProbe(*window).model();
        const QList<QStandardItem *> found = model->findItems(brand);
        return found.isEmpty() ? QModelIndex() : model->index(found.first()->row(), column);
    }

    void click(const QModelIndex &index) const
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    // The tooltip the cell shows, or nothing.
    QString toolTip(const QModelIndex &index) const
    {
        QToolTip::hideText(); // it goes after a moment
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("(a tooltip that stays)");
        const QPoint at = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    TestDataFolder folder;
    std::unique_ptr<MainWindow> window;
    QTableView *view = nullptr;
    bool exposed = false;
};

const QString recorded = "2 件・一般名処方マスタ 令和7年8月14日適用（2026年12月11日 変換）";
const QString outOfDate = "半年以上前の一覧です。新しい一覧を「変換」してください。";
} // namespace

class TestListStatus : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().size() <= 1); } // a tooltip may stay

    // At start-up the status bar says which list is shown, and that it is
    // old when its master's date is more than six months before the day.
    void startupSaysWhichList_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("withRecord");
        QTest::addColumn<QString>("text");
        QTest::newRow("no record: the names only") << QDate(2026, 12, 11) << false << "2 件";
        QTest::newRow("six months after the master's date")
            << QDate(2026, 2, 14) << true << recorded;
        QTest::newRow("a day more") << QDate(2026, 2, 15) << true << outOfDate + recorded;
    }

    void startupSaysWhichList()
    {
        QFETCH(QDate, today);
        QFETCH(bool, withRecord);
        QFETCH(QString, text);
        const Shown shown(today, withRecord);
        QVERIFY(shown.exposed);
        QCOMPARE(shown.listText(), text);
        QCOMPARE(shown.message(), QString()); // no run's message to read yet
    }

    // A copy says what went to the clipboard for a few seconds; then the
    // list's text is back.
    void copyIsTold()
    {
        const Shown shown(QDate(2026, 2, 1));
        QVERIFY(shown.exposed);
        const QString generic = "【般】ニフェジピン徐放錠１０ｍｇ（２４時間持続）";
        shown.click(shown.cell("アダラートＣＲ錠１０ｍｇ", 1));
        QCOMPARE(QGuiApplication::clipboard()->text(), generic);
        QCOMPARE(shown.message(), "コピーしました: " + generic);
        QTRY_COMPARE_WITH_TIMEOUT(shown.message(), QString(), 8000);
        QVERIFY(shown.window->findChild<QLabel *>("listStatus")->isVisible());
        QCOMPARE(shown.listText(), recorded);
    }

    // A brand whose listing ends says so in its tooltip and when copied, up
    // to its last day and after it; the text copied is the name alone.
    void transitionalBrand_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("said");
        QTest::newRow("on its last day") << QDate(2026, 3, 31) << "経過措置: 令和8年3月31日まで";
        QTest::newRow("the day after") << QDate(2026, 4, 1) << "経過措置期限切れ（令和8年3月31日）";
    }

    void transitionalBrand()
    {
        QFETCH(QDate, today);
        QFETCH(QString, said);
        const Shown shown(today);
        QVERIFY(shown.exposed);
        const QModelIndex brand = shown.cell("ネルボン錠５ｍｇ", 0);
        QCOMPARE(shown.toolTip(brand), said);
        shown.click(brand);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("ネルボン錠５ｍｇ"));
        QCOMPARE(shown.message(), "コピーしました: ネルボン錠５ｍｇ。" + said);
        shown.click(shown.cell("ネルボン錠５ｍｇ", 1));
        QCOMPARE(shown.message(), QString("コピーしました: 【般】ニトラゼパム錠５ｍｇ"));
    }

    // The published lists of 2025-08-14: "変換" records the run, and the
    // next day's start says which list it is, how old, and which brands'
    // listing has ended.
    void recordOfARunIsToldTheNextDay()
    {
        TestDataFolder folder;
        folder.writePublishedWorkbooks();
        const QDateTime converted(QDate(2026, 12, 11), QTime(9, 30));
        {
            MainWindow window(folder.dataFolder(), [converted] { return converted; });
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(
                window.findChild<QLabel *>("listStatus")->text(),
                QString("一覧（ippan.csv）がありません。一覧を作るには「変換」を押してください"));
            QTest::mouseClick(window.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
            QVERIFY(window.statusBar()->currentMessage().startsWith("変換しました: 4243 件"));
            QCOMPARE(window.findChild<QLabel *>("listStatus")->text(),
                     outOfDate +
                         "4243 件・一般名処方マスタ 令和7年8月14日適用（2026年12月11日 変換）");
        }
        const QDateTime nextDay = converted.addDays(1);
        MainWindow window(folder.dataFolder(), [nextDay] { return nextDay; });
        QCOMPARE(window.findChild<QLabel *>("listStatus")->text(),
                 outOfDate + "4243 件・一般名処方マスタ 令和7年8月14日適用（2026年12月11日 変換）");
        QStandardItemModel *model = MainWindowProbe(window).model();
        const QList<QStandardItem *> nerubon = model->findItems("ネルボン錠５ｍｇ");
        QCOMPARE(nerubon.size(), 1);
        QCOMPARE(nerubon.first()->data(DrugTableView::transitionalRole).toDate(),
                 QDate(2026, 3, 31));
        int transitional = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            transitional += model->index(row, 0).data(DrugTableView::transitionalRole).isValid();
        QCOMPARE(transitional, 75);
    }

    // A name its column cuts shows whole in its tooltip; one that fits has
    // none.
    void cutNamesShowWhole()
    {
        const Shown shown(QDate(2026, 2, 1));
        QVERIFY(shown.exposed);
        const QModelIndex cut = shown.cell("アダラートＣＲ錠１０ｍｇ", 1);
        QCOMPARE(shown.toolTip(cut), QString("【般】ニフェジピン徐放錠１０ｍｇ（２４時間持続）"));
        QCOMPARE(shown.toolTip(shown.cell("アダラートＣＲ錠１０ｍｇ", 0)), QString());
        shown.view->setColumnWidth(1, 600);
        QCOMPARE(shown.toolTip(cut), QString());
    }
};

QTEST_MAIN(TestListStatus)
#include "tst_liststatus.moc"
