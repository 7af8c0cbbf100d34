#include "data/japanesedates.h"

#include <QtTest>

class TestJapaneseDates : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // invalid: not a date
        QTest::newRow("the price list's 経過措置") << "R8.3.31まで" << QDate(2026, 3, 31);
        QTest::newRow("the master's title row") << "令和7年8月14日適用" << QDate(2025, 8, 14);
        QTest::newRow("the first year") << "令和元年5月1日" << QDate(2019, 5, 1);
        QTest::newRow("平成, by its letter") << "H31.4.30" << QDate(2019, 4, 30);
        QTest::newRow("full-width digits after the era") << "R８．３．３１" << QDate(2026, 3, 31);
        QTest::newRow("spaces around") << " R7.9.30まで " << QDate(2025, 9, 30);
        QTest::newRow("no such day") << "R8.2.30まで" << QDate();
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("a Western date") << "2026/3/31" << QDate();
        QTest::newRow("an era without a date") << "令和" << QDate();
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(parseJapaneseDate(text), date);
    }
};

QTEST_GUILESS_MAIN(TestJapaneseDates)
#include "tst_japanesedates.moc"
