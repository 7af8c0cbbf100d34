#include "app/mainwindow.h"
#include "data/datafiles.h"
#include "support/mainwindowprobe.h"
#include "support/testdatafolder.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

namespace
{
// The demo's display list: real names of 2025-08-14.
bool writeDemoList(const TestDataFolder &folder)
{
    folder.write(DataFiles::displayList, sampleFile(DataFiles::displayList));
    return true;
}

struct Window {
    Window()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window did not show");
        view = window.findChild<QTableView *>("tableView");
        field = window.findChild<QLineEdit *>("findField");
        place = window.findChild<QLabel *>("findPlace");
    }

    QString currentBrand() const
    {
        const QModelIndex current = view->currentIndex();
        return current.isValid() ? current.sibling(current.row(), 0).data().toString() : QString();
    }

    int topRow() const { return view->rowAt(0); }

    // Whether a cell's editor is open.
    bool editing() const
    {
        for (const QWidget *editor : view->viewport()->findChildren<QWidget *>())
            if (editor->isVisible())
                return true;
        return false;
    }

    // A new text in the field, as typing it would leave it.
    void type(const QString &text)
    {
        field->clear();
        field->setText(text);
    }

    TestDataFolder folder;
    bool listWritten = writeDemoList(folder); // before the window reads it
    MainWindow window{folder.dataFolder()};
    QTableView *view = nullptr;
    QLineEdit *field = nullptr;
    QLabel *place = nullptr;
};
} // namespace

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // The first row, in the order the view shows, whose brand or generic
    // name holds the text, however the text is written.
    void firstMatchInTheViewsOrder_data()
    {
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("place");
        const auto up = Qt::AscendingOrder, down = Qt::DescendingOrder;
        QTest::newRow("katakana, part of a brand name") << 0 << up << "ロジン"
                                                        << "アムロジン錠１０ｍｇ"
                                                        << "1/9";
        QTest::newRow("hiragana") << 0 << up << "あむろじん"
                                  << "アムロジン錠１０ｍｇ"
                                  << "1/6";
        QTest::newRow("half-width kana") << 0 << up << "ｱﾑﾛｼﾞﾝ"
                                         << "アムロジン錠１０ｍｇ"
                                         << "1/6";
        QTest::newRow("ASCII digits find full-width ones") << 0 << up << "アムロジン錠5mg"
                                                           << "アムロジン錠５ｍｇ"
                                                           << "1/1";
        QTest::newRow("Latin letters without case") << 0 << up << "od錠"
                                                    << "アムロジンＯＤ錠１０ｍｇ"
                                                    << "1/8";
        QTest::newRow("by generic name") << 0 << up << "にふぇじぴん"
                                         << "アダラートＣＲ錠１０ｍｇ"
                                         << "1/5";
        QTest::newRow("by generic name, view sorted by it") << 1 << up << "にふぇじぴん"
                                                            << "セパミット－Ｒカプセル１０"
                                                            << "1/5";
        QTest::newRow("by generic name, view sorted down") << 0 << down << "にふぇじぴん"
                                                           << "セパミット－Ｒカプセル２０"
                                                           << "1/5";
    }

    void firstMatchInTheViewsOrder()
    {
        QFETCH(int, sortColumn);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QString, text);
        QFETCH(QString, brand);
        QFETCH(QString, place);
        Window w;
        w.view->sortByColumn(sortColumn, order);
        w.type(text);
        QCOMPARE(w.currentBrand(), brand);
        QCOMPARE(w.view->currentIndex().column(), 0);
        QCOMPARE(w.topRow(), w.view->currentIndex().row());
        QCOMPARE(w.place->text(), place);
    }

    void enterStepsThroughTheMatchesAndWraps()
    {
        Window w;
        w.type("にふぇじぴん");
        QStringList seen{w.currentBrand() + " " + w.place->text()};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(w.field, Qt::Key_Return);
            seen << w.currentBrand() + " " + w.place->text();
        }
        QCOMPARE(seen,
                 (QStringList{"アダラートＣＲ錠１０ｍｇ 1/5", "アダラートＣＲ錠２０ｍｇ 2/5",
                              "アダラートＣＲ錠４０ｍｇ 3/5", "セパミット－Ｒカプセル１０ 4/5",
                              "セパミット－Ｒカプセル２０ 5/5", "アダラートＣＲ錠１０ｍｇ 1/5"}));
        QTest::keyClick(w.field, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(w.currentBrand() + " " + w.place->text(),
                 QString("セパミット－Ｒカプセル２０ 5/5"));
        QTest::keyClick(w.field, Qt::Key_Enter, Qt::ShiftModifier);
        QCOMPARE(w.currentBrand() + " " + w.place->text(),
                 QString("セパミット－Ｒカプセル１０ 4/5"));
    }

    void noMatchKeepsTheCurrentCell()
    {
        Window w;
        w.type("アダラート");
        const QModelIndex before = w.view->currentIndex();
        w.type("アダラートＸ");
        QCOMPARE(w.view->currentIndex(), before);
        QCOMPARE(w.place->text(), QString("一致なし"));
        QTest::keyClick(w.field, Qt::Key_Return);
        QCOMPARE(w.view->currentIndex(), before);
        w.type("");
        QCOMPARE(w.view->currentIndex(), before);
        QCOMPARE(w.place->text(), QString());
    }

    void escapeEmptiesTheFieldAndGoesBackToTheTable()
    {
        Window w;
        w.field->setFocus();
        w.type("コニール");
        QCOMPARE(w.currentBrand(), QString("コニール錠２"));
        QTest::keyClick(w.field, Qt::Key_Escape);
        QVERIFY(w.field->text().isEmpty());
        QTRY_VERIFY(w.view->hasFocus());
        QCOMPARE(w.currentBrand(), QString("コニール錠２"));
    }

    void ctrlFFocusesTheField()
    {
        Window w;
        w.view->setFocus();
        QTRY_VERIFY(w.view->hasFocus());
        QTest::keySequence(&w.window, QKeySequence::Find);
        QTRY_VERIFY(w.field->hasFocus());
    }

    // Typing on the table, a user's first try, finds instead of
    // overwriting the cell that a later click would copy.
    void typingOnTheTableStartsTheFind()
    {
        Window w;
        w.view->setFocus();
        w.view->setCurrentIndex(w.view->model()->index(0, 0));
        const QString before = w.view->model()->index(0, 0).data().toString();
        QTest::keyClick(w.view, 'k');
        QTest::keyClicks(QApplication::focusWidget(), "o"); // the focus has moved on
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.view->model()->index(0, 0).data().toString(), before);
        QVERIFY(w.field->hasFocus());
        QCOMPARE(w.field->text(), QString("ko"));
        QVERIFY(!w.editing());
    }

    void inputMethodTextGoesToTheField()
    {
        Window w;
        w.view->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("こにーる"));
        QCoreApplication::sendEvent(w.view, &commit);
        QCOMPARE(w.field->text(), QString("こにーる"));
        QCOMPARE(w.currentBrand(), QString("コニール錠２"));
    }

    void doubleClickAndF2StillEdit()
    {
        Window w;
        const QModelIndex cell = w.view->model()->index(2, 1);
        // A real double click: a press and release, then the second press.
        const QPoint at = w.view->visualRect(cell).center();
        QTest::mouseClick(w.view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w.view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(w.editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!w.editing());
        w.view->setFocus();
        w.view->setCurrentIndex(cell);
        QTest::keyClick(w.view, Qt::Key_F2);
        QVERIFY(w.editing());
    }

    // The folded texts follow an edit, a sort and a reload of the list.
    void findFollowsEditsAndReloads()
    {
        Window w;
        w.type("アムロジン");
        QCOMPARE(w.place->text(), QString("1/6"));
        auto *model = MainWindowProbe(w.window).model();
        model->setData(w.view->currentIndex(), QStringLiteral("メネシット配合錠２５０"));
        w.type("アムロジン");
        QCOMPARE(w.place->text(), QString("1/5"));
        w.type("めねしっと");
        QCOMPARE(w.currentBrand(), QString("メネシット配合錠２５０"));

        w.folder.write(DataFiles::productList, sampleFile(DataFiles::productList));
        w.folder.write(DataFiles::genericNameList, sampleFile(DataFiles::genericNameList));
        w.folder.write(DataFiles::exceptionList, sampleFile(DataFiles::exceptionList));
        QTest::mouseClick(w.window.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        w.type("めねしっと");
        QCOMPARE(w.place->text(), QString("一致なし"));
        w.type("アムロジン");
        QCOMPARE(w.place->text(), QString("1/6"));
    }

    // The field sits at the right end of the status bar, which stays as
    // high as before, so the keyboard's last row stays whole.
    void fieldKeepsTheKeyboardWhole()
    {
        Window w;
        QCOMPARE(w.window.size(), QSize(584, 681));
        QCOMPARE(w.field->parentWidget(), w.window.statusBar());
        QVERIFY(w.field->geometry().right() >= w.window.statusBar()->width() - 30);
        QCOMPARE(w.field->placeholderText(), QString("名前の一部で検索（ひらがな可）"));
        const QWidget *lastKey = w.window.findChild<QPushButton *>("pushButton_51");
        QVERIFY2(lastKey->geometry().bottom() < w.window.centralWidget()->height(),
                 qPrintable(QString("%1 / %2")
                                .arg(lastKey->geometry().bottom())
                                .arg(w.window.centralWidget()->height())));
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"
