#include "data/datafiles.h"
#include "data/displaylist.h"
#include "support/testdatafolder.h"

#include <QtTest>

namespace
{
QStringList rowsOf(const DisplayList &list, int count)
{
    QStringList rows;
    for (int i = 0; i < qMin(count, list.rows.size()); ++i)
        rows << list.rows.at(i).brand + "|" + list.rows.at(i).generic;
    return rows;
}

} // namespace

class TestDisplayList : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("linesRead");
        QTest::addColumn<QStringList>("firstRows");

        QTest::newRow("file order, nothing sorted")
            << QByteArray("B,b\nA,a\n") << 2 << QStringList{"B|b", "A|a"};
        QTest::newRow("crlf line ends")
            << QByteArray("ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\r\nハルシオン０．２５ｍｇ錠,"
                          "【般】トリアゾラム錠０．２５ｍｇ\r\n")
            << 2
            << QStringList{"ネルボン錠５ｍｇ|【般】ニトラゼパム錠５ｍｇ",
                           "ハルシオン０．２５ｍｇ錠|【般】トリアゾラム錠０．２５ｍｇ"};
        QTest::newRow("third field ignored, empty middle kept")
            << QByteArray("X,,tail\n") << 1 << QStringList{"X|"};
        QTest::newRow("line without a comma")
            << QByteArray("Lonely\n") << 1 << QStringList{"Lonely|"};
        QTest::newRow("empty line inside counts")
            << QByteArray("B,b\n\nA,a\n") << 3 << QStringList{"B|b", "|", "A|a"};
        QTest::newRow("no final line end") << QByteArray("A,a") << 1 << QStringList{"A|a"};
        QTest::newRow("empty file") << QByteArray() << 0 << QStringList{};
        QTest::newRow("invalid utf-8 bytes")
            << QByteArray("A\x80\xff,b\xc3\n") << 1 << QStringList{"A\uFFFD\uFFFD|b\uFFFD"};
        QTest::newRow("3500 lines, all read")
            << numberedDisplayLines(3500) << 3500 << QStringList{"brand100000|generic0"};
        QTest::newRow("more than 10000 lines: the first 10000")
            << numberedDisplayLines(12000, "\r\n") << 10000 << QStringList{"brand100000|generic0"};
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, linesRead);
        QFETCH(QStringList, firstRows);

        TestDataFolder folder;
        folder.write(DataFiles::displayList, file);
        const DisplayList list = readDisplayList(folder.path(DataFiles::displayList));
        QVERIFY(list.opened);
        QCOMPARE(list.rows.size(), linesRead);
        QCOMPARE(rowsOf(list, firstRows.size()), firstRows);
    }

    void veryLongLine()
    {
        TestDataFolder folder;
        const QByteArray longName(6 * 1024 * 1024, 'x');
        folder.write(DataFiles::displayList, longName + ",g\nA,a\n");
        const DisplayList list = readDisplayList(folder.path(DataFiles::displayList));
        QCOMPARE(list.rows.size(), 2);
        QCOMPARE(list.rows.at(0).brand.size(), longName.size());
    }

    void missingFileIsNotOpened()
    {
        TestDataFolder folder;
        const DisplayList list = readDisplayList(folder.path(DataFiles::displayList));
        QVERIFY(!list.opened);
        QVERIFY(list.rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
